#include "res/DialogUnitLayout.h"

#include <QDialog>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

DialogUnitLayout::DialogUnitLayout(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_unitX = ((metrics.horizontalAdvance(letters) / 26 + 1) / 2) / 4.0;
    m_unitY = metrics.height() / 8.0;
}

void DialogUnitLayout::Apply(QDialog* dialog, int widthUnits, int heightUnits) {
    double growX = 1.0;
    double growY = 1.0;
    for (const Item& item : m_items) {
        if (!item.fitsText) continue;
        item.widget->ensurePolished();
        const QSize need = item.widget->sizeHint().expandedTo(item.widget->minimumSizeHint());
        growX = std::max(growX, need.width() / (item.rect.width() * m_unitX));
        growY = std::max(growY, need.height() / (item.rect.height() * m_unitY));
    }
    const double unitX = m_unitX * growX;
    const double unitY = m_unitY * growY;
    for (const Item& item : m_items) {
        const QRect& r = item.rect;
        const int x = qRound(r.x() * unitX);
        const int y = qRound(r.y() * unitY);
        const int width = r.width() > 0 ? qRound(r.width() * unitX) : item.widget->sizeHint().width();
        const int height = r.height() > 0 ? qRound(r.height() * unitY) : item.widget->sizeHint().height();
        item.widget->setGeometry(x, y, width, height);
    }
    dialog->setFixedSize(qRound(widthUnits * unitX), qRound(heightUnits * unitY));
}
