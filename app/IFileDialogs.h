#pragma once

#include <optional>
#include <string>
#include <vector>

// The open and save-as file dialogs as the document lifecycle sees them, and the choice of disc images to
// catalogue, so that tests can answer them.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Asks for a catalogue to open; nothing when the person cancels.
    virtual std::optional<std::string> AskOpenPath() = 0;
    // Asks where to save, proposing `suggested`; nothing when the person cancels.
    virtual std::optional<std::string> AskSavePath(const std::string& suggested) = 0;
    // Asks for disc image files to catalogue, one or many; none when the person cancels.
    virtual std::vector<std::string> AskImagePaths() = 0;
};
