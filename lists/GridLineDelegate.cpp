#include "lists/GridLineDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

void GridLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QStyle* style = option.widget != nullptr ? option.widget->style() : QApplication::style();
    const QColor color = QColor::fromRgba(
        static_cast<QRgb>(style->styleHint(QStyle::SH_Table_GridLineColor, &option, option.widget)));
    painter->save();
    painter->setPen(color);
    const QRect& r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}
