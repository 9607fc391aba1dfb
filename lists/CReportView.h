#pragma once

#include <QTreeView>

// A report-mode list whose rows act on a double-click or on Enter, as people expect of a desktop list.
class CReportView : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;

protected:
    // Acts on the topmost selected row; called for a left double-click and for Enter.
    virtual void OnDblClk() = 0;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
