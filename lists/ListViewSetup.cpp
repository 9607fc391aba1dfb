#include "lists/ListViewSetup.h"

#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QPalette>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeView>
#include <algorithm>

#include "lists/DetailListModel.h"

namespace listview {
namespace {

void ApplyColumnWidths(QTreeView* view, const DetailListModel& model) {
    const auto& columns = model.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        view->header()->resizeSection(static_cast<int>(i), columns[i].width);
}

}  // namespace

void SetUp(QTreeView* view, DetailListModel* model) {
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No sort until a heading is clicked: the rows first stand as they came.
    view->header()->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    view->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, QColor(kBackgroundRed, kBackgroundGreen, kBackgroundBlue));
    view->setPalette(palette);

    const QStyle* style = view->style();
    model->SetIcons(QIcon::fromTheme("folder", style->standardIcon(QStyle::SP_DirIcon)),
                    QIcon::fromTheme("text-x-generic", style->standardIcon(QStyle::SP_FileIcon)));
    view->setModel(model);
    ApplyColumnWidths(view, *model);
    QObject::connect(model, &DetailListModel::columnsReplaced, view,
                     [view, model] { ApplyColumnWidths(view, *model); });
    // The heading's sort mark follows the model when the model ends or changes the sort itself; the mark
    // moved quietly, so that moving it does not sort again.
    QObject::connect(model, &DetailListModel::sortChanged, view, [view](int column, Qt::SortOrder order) {
        const QSignalBlocker quiet(view->header());
        view->header()->setSortIndicator(column, order);
    });
}

int TopmostSelectedRow(const QTreeView* view) {
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    const auto top =
        std::min_element(rows.begin(), rows.end(),
                         [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return top->row();
}

void SelectRow(QTreeView* view, int row) {
    const QModelIndex index = view->model()->index(row, 0);
    if (!index.isValid()) return;
    view->selectionModel()->setCurrentIndex(index,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

}  // namespace listview
