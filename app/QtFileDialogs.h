#pragma once

#include "app/IFileDialogs.h"

class QWidget;

// The open and save-as questions asked with QFileDialog, filtered to catalogue files, and the export
// question, which offers CSV and HTML.
class QtFileDialogs : public IFileDialogs {
public:
    static constexpr const char* kFilter = "Tamberol Files(*.cdi)";
    static constexpr const char* kCsvFilter = "CSV for spreadsheets (*.csv)";
    static constexpr const char* kHtmlFilter = "HTML table (*.html *.htm)";
    static constexpr const char* kImageFilter = "Disc images (*.iso);;All files (*)";

    explicit QtFileDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    std::optional<std::string> AskOpenPath() override;
    std::optional<std::string> AskSavePath(const std::string& suggested) override;
    std::optional<listexport::Target> AskExportPath(const std::string& suggested) override;
    std::vector<std::string> AskImagePaths() override;

private:
    QWidget* m_owner;
};
