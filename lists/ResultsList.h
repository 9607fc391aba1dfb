#pragma once

#include "lists/DetailListModel.h"

class CKavrelDoc;
class CView;

// The hits of the last search, newest on top, and the pick of a hit's disc or folder. Runs without a display;
// CThirdView only puts it on screen.
class ResultsList {
public:
    explicit ResultsList(CKavrelDoc* doc);

    // The rows and columns the view shows.
    DetailListModel& Model() { return m_model; }
    const DetailListModel& Model() const { return m_model; }

    // Empties the rows and installs the result columns.
    void OnInitialUpdate();
    // hint::kResultRow: clears the rows, or adds the offered hit on top; every other hint is ignored.
    void OnUpdate(int hint);
    // Double-click or Enter with `row` the topmost selected row (-1 for none): asks, as `sender`, for
    // the hit's disc to be shown. Returns true when it asked.
    bool Pick(int row, CView* sender);
    // "Show in Folder" on `row`: asks, as `sender`, for the hit's folder to be opened in the tree and the hit
    // selected in it (hint::kPickFolder). Returns true when it asked.
    bool ShowInFolder(int row, CView* sender);

private:
    // Puts the hit's label, name and path in the pick fields and sends `hint`.
    bool PickHit(int row, CView* sender, int hint);

    CKavrelDoc* m_pDoc;
    DetailListModel m_model;
    catalogue::Disc m_lastDisc;  // the disc of the last hit, for the next ones
};
