#pragma once

// Where a search shows its hits, as the search and the tree see it: the main window's results pane, hidden
// while no results are on display. The window implements it; the tree hides it for a new catalogue.
class IResultsPane {
public:
    virtual ~IResultsPane() = default;
    // True while the results pane is hidden.
    virtual bool IsResultsHidden() const = 0;
    // Shows the pane again with the rows it had; does nothing when it is shown.
    virtual void ShowResultsPane() = 0;
    // Hides the pane without losing its rows; does nothing when it is hidden.
    virtual void HideResultsPane() = 0;
};
