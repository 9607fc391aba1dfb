#pragma once

#include "docview/CView.h"
#include "lists/CReportView.h"
#include "lists/ResultsList.h"

class CKavrelDoc;

// The results list: the hits of the last search, newest on top, with grid lines. Double-click or
// Enter on a hit asks the tree, through hint::kPickDisc, to show the hit's disc.
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

private:
    void OnDblClk() override;

    ResultsList m_results;
};
