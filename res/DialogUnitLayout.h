#pragma once

#include <QRect>
#include <vector>

class QDialog;
class QFont;
class QWidget;

// Places a dialog's controls by the dialog-unit rectangles it was designed in. A unit is a quarter of the
// font's average letter width across and an eighth of its height down, as on Windows; when a text or a
// skinned button would not fit in its rectangle, every unit grows alike so the arrangement is kept.
class DialogUnitLayout {
public:
    explicit DialogUnitLayout(const QFont& font);

    // `rect` in dialog units (a width or height of 0 takes the control's own); `fitsText` when the
    // control's own size hint must fit in it.
    void Add(QWidget* widget, QRect rect, bool fitsText) { m_items.push_back({widget, rect, fitsText}); }

    // Sizes the dialog (fixed) and places every control; call once styles are applied.
    void Apply(QDialog* dialog, int widthUnits, int heightUnits);

private:
    struct Item {
        QWidget* widget;
        QRect rect;
        bool fitsText;
    };
    double m_unitX;
    double m_unitY;
    std::vector<Item> m_items;
};
