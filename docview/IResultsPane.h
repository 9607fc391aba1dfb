#pragma once

// The main frame's results pane as the tree and the search see it: hidden while no results are on display.
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
