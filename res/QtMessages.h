#pragma once

#include "docview/Messages.h"

class QWidget;

// Message boxes shown with QMessageBox, owned by a window.
class QtMessages : public IMessages {
public:
    explicit QtMessages(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    msg::Answer Show(const msg::Request& request) override;

private:
    QWidget* m_owner;
};
