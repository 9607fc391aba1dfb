#include "lists/CReportView.h"

#include <QKeyEvent>
#include <QMouseEvent>

void CReportView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) OnDblClk();
}

void CReportView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnDblClk();
        return;
    }
    QTreeView::keyPressEvent(event);
}
