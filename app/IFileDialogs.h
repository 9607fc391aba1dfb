#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lists/ListExport.h"

// The open, save-as and export file dialogs as the commands see them, and the choice of disc images to
// catalogue, so that tests can answer them.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Asks for a catalogue to open; nothing when the person cancels.
    virtual std::optional<std::string> AskOpenPath() = 0;
    // Asks where to save, proposing `suggested`; nothing when the person cancels.
    virtual std::optional<std::string> AskSavePath(const std::string& suggested) = 0;
    // Asks where to export a list and in which form (CSV or HTML), proposing the name `suggested`; nothing
    // when the person cancels.
    virtual std::optional<listexport::Target> AskExportPath(const std::string& suggested) = 0;
    // Asks for disc image files to catalogue, one or many; none when the person cancels.
    virtual std::vector<std::string> AskImagePaths() = 0;
};
