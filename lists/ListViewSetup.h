#pragma once

class DetailListModel;
class QTreeView;

// What the contents list and the results list share as widgets: a flat report list over a
// DetailListModel, its look, and how the row an action applies to is found.
namespace listview {

// The list's background colour.
inline constexpr int kBackgroundRed = 236;
inline constexpr int kBackgroundGreen = 247;
inline constexpr int kBackgroundBlue = 255;

// Makes `view` a report list over `model`: full-row extended selection, no editing, the background,
// folder and file images, and the model's column widths each time its columns are replaced.
void SetUp(QTreeView* view, DetailListModel* model);
// The topmost selected row, or -1 when none is selected; double-click and Enter act on it.
int TopmostSelectedRow(const QTreeView* view);
// Makes `row` the only selected and the current row, and scrolls it into sight.
void SelectRow(QTreeView* view, int row);

}  // namespace listview
