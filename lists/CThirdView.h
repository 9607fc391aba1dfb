#pragma once

#include "docview/CView.h"
#include "lists/CReportView.h"
#include "lists/ResultsList.h"

class CKavrelDoc;
class QMenu;

// The results list: the hits of the last search, newest on top, with grid lines. Double-click or
// Enter on a hit asks the tree, through hint::kPickDisc, to show the hit's disc; its context menu's
// "Show in Folder", through hint::kPickFolder, to open the hit's folder.
class CThirdView : public CReportView, public CView {
    Q_OBJECT

public:
    explicit CThirdView(CKavrelDoc* doc, QWidget* parent = nullptr);
    ~CThirdView() override;

    // Empties the list and installs its columns (a new or opened catalogue has no search yet).
    void OnInitialUpdate() override;
    // hint::kResultRow: clears the rows or adds the offered hit on top.
    void OnUpdate(CView* sender, int hint) override;

    // The list's hits.
    const ResultsList& Results() const { return m_results; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnDblClk() override;

    ResultsList m_results;
    QMenu* m_pHitMenu = nullptr;  // the right-click menu, built on first use
};
