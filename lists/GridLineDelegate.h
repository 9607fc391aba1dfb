#pragma once

#include <QStyledItemDelegate>

// Draws each cell as usual and then its right and bottom border, so a list shows grid lines.
class GridLineDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit GridLineDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    // Paints the cell, then its grid lines in the style's grid colour.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
