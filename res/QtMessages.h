#pragma once

#include "docview/Messages.h"

class QWidget;

// Message boxes shown with QMessageBox, owned by a window; a box without a caption of its own shows the
// program's title.
class QtMessages : public IMessages {
public:
    explicit QtMessages(QWidget* owner = nullptr) : m_owner(owner) {}
    // The window the boxes are modal to (none: the application).
    void SetOwner(QWidget* owner) { m_owner = owner; }
    // Shows the box with QMessageBox and returns the button pressed.
    msg::Answer Show(const msg::Request& request) override;

private:
    QWidget* m_owner;
};
