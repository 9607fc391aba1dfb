#include "lists/CSecView.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "catalogue/CKavrelDoc.h"
#include "lists/ListViewSetup.h"

namespace {
// How long the pointer rests on a row before the row is selected (the usual desktop hover time).
constexpr int kHoverSelectMs = 400;
}  // namespace

CSecView::CSecView(CKavrelDoc* doc, QWidget* parent) : CReportView(parent), m_contents(doc) {
    SetDocument(doc);
    listview::SetUp(this, &m_contents.Model());
    // A drive read can take long; the emptied list should be on screen while it runs.
    m_contents.SetClearedCallback([this] { viewport()->repaint(); });
    setMouseTracking(true);
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverSelectMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CSecView::SelectHoveredRow);
}

CSecView::~CSecView() {
    setModel(nullptr);
}

void CSecView::OnInitialUpdate() {
    m_contents.OnInitialUpdate(m_pMessages);
}

void CSecView::OnUpdate(CView*, int hint) {
    const int row = m_contents.OnUpdate(hint);
    if (row >= 0) listview::SelectRow(this, row);
}

void CSecView::OnDblClk() {
    m_contents.Activate(listview::TopmostSelectedRow(this), this);
}

void CSecView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        m_contents.GoUp(this);
        return;
    }
    CReportView::keyPressEvent(event);
}

void CSecView::mouseMoveEvent(QMouseEvent* event) {
    CReportView::mouseMoveEvent(event);
    m_hoverPos = event->position().toPoint();
    if (event->buttons() == Qt::NoButton)
        m_hoverTimer.start();
    else
        m_hoverTimer.stop();
}

void CSecView::leaveEvent(QEvent* event) {
    m_hoverTimer.stop();
    CReportView::leaveEvent(event);
}

void CSecView::SelectHoveredRow() {
    const QModelIndex index = indexAt(m_hoverPos);
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
