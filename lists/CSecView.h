#pragma once

#include <QPoint>
#include <QTimer>

#include "docview/CView.h"
#include "lists/CReportView.h"
#include "lists/ContentsList.h"

class CKavrelDoc;
class IMessages;

// The contents list: the entries of one disc of the catalogue, one folder of a disc, or a live folder of a
// drive; folders are walked by double-click or Enter, and a disc's folders up again by Backspace or the ".."
// row. Driven by the hints kShowDisc, kShowPickedDisc, kShowFolder, kShowPickedFolder, kLiveListing and
// kLiveRow.
class CSecView : public CReportView, public CView {
    Q_OBJECT

public:
    explicit CSecView(CKavrelDoc* doc, QWidget* parent = nullptr);
    ~CSecView() override;

    // Where the no-drive warning is shown; nothing is shown while it is null.
    void SetMessages(IMessages* messages) { m_pMessages = messages; }

    // Shows the catalogue's first disc, or the first optical drive's root when the catalogue is empty.
    void OnInitialUpdate() override;
    // hint::kShowDisc, kShowPickedDisc, kLiveListing, kLiveRow: show a disc, show the picked disc with its
    // hit selected, start a live listing, add a live row.
    void OnUpdate(CView* sender, int hint) override;

    // The list's content and live-listing position.
    const ContentsList& Contents() const { return m_contents; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void OnDblClk() override;
    void SelectHoveredRow();

    ContentsList m_contents;
    IMessages* m_pMessages = nullptr;
    QTimer m_hoverTimer;  // a row under a resting pointer becomes selected when it fires
    QPoint m_hoverPos;    // viewport position of the resting pointer
};
