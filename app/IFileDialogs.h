#pragma once

#include <optional>
#include <string>

// The open and save-as file dialogs as the document lifecycle sees them, so that tests can answer them.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Asks for a catalogue to open; nothing when the person cancels.
    virtual std::optional<std::string> AskOpenPath() = 0;
    // Asks where to save, proposing `suggested`; nothing when the person cancels.
    virtual std::optional<std::string> AskSavePath(const std::string& suggested) = 0;
};
