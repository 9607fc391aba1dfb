#pragma once

#include "app/IFileDialogs.h"

class QWidget;

// The open and save-as questions asked with QFileDialog, filtered to catalogue files.
class QtFileDialogs : public IFileDialogs {
public:
    static constexpr const char* kFilter = "Tamberol Files(*.cdi)";

    explicit QtFileDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    std::optional<std::string> AskOpenPath() override;
    std::optional<std::string> AskSavePath(const std::string& suggested) override;

private:
    QWidget* m_owner;
};
