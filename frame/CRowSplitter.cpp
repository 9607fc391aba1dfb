#include "frame/CRowSplitter.h"

#include <numeric>

void CRowSplitter::SetRowSizes(const QList<int>& sizes) {
    setSizes(sizes);
    m_savedSizes = sizes;
}

void CRowSplitter::DropLastRow() {
    if (m_bDropped || count() < 2) return;
    // Before the first show the sizes are not laid out yet; the ones set last still hold.
    if (isVisible()) m_savedSizes = sizes();
    widget(count() - 1)->hide();
    m_bDropped = true;
}

void CRowSplitter::RestoreLastRow() {
    if (!m_bDropped) return;
    m_bDropped = false;
    const int last = count() - 1;
    widget(last)->show();
    if (m_savedSizes.size() != count()) return;
    if (!isVisible()) {
        setSizes(m_savedSizes);
        return;
    }
    // The rows above keep their height; the last row gets whatever is left of the splitter now.
    const int length = orientation() == Qt::Vertical ? contentsRect().height() : contentsRect().width();
    const int available = length - handleWidth() * last;
    const int above = std::accumulate(m_savedSizes.begin(), m_savedSizes.end() - 1, 0);
    QList<int> restored = m_savedSizes;
    if (available > above) restored[last] = available - above;
    setSizes(restored);
}
