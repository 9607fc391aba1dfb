#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// What a drive text or a path names, read once where the text comes in and handed down from there: a drive
// (its letter and the folder names below its root) or a system path, which is a disc of its own.
class Location {
public:
    // A drive's root text, "E:\", is this long.
    static constexpr std::size_t kRootLength = 3;

    // Reads `text`: a drive text is a letter, a colon and optionally a backslash and more ("E:", "e:\DOCS\");
    // a path begins with '/'; anything else names neither.
    explicit Location(std::string text);

    // The root text of the drive `letter` ("E:\" for 'e'); empty when it is no letter.
    static std::string RootOf(char letter);

    // True when the text is a drive text.
    bool IsDrive() const { return m_letter != '\0'; }
    // True when the text is a system path.
    bool IsPath() const { return m_bPath; }
    // The drive's letter, upper case; '\0' when the text is no drive text.
    char Letter() const { return m_letter; }
    // The drive's root text, "E:\"; empty when the text is no drive text.
    std::string Root() const { return RootOf(m_letter); }
    // The folder names of a drive text below its root, "." dropped and ".." taken back but never above the
    // root ("E:\.." is the root); '/' counts as a separator too. None for a path: it is its disc's top.
    const std::vector<std::string>& Names() const { return m_names; }
    // The text as it was given.
    const std::string& Text() const { return m_text; }
    // A path without its trailing '/' ("/" stays); empty when the text is no path.
    std::string Path() const;
    // How a walk names it before each folder's path: a drive text's letter and colon as typed, a path as
    // Path() gives it, anything else as given.
    std::string Shown() const;
    // The same location with a relative path (a text that is neither a drive text nor a path, and not
    // empty) made absolute against the working folder.
    Location Absolute() const;

private:
    std::string m_text;
    char m_letter = '\0';
    bool m_bPath = false;
    std::vector<std::string> m_names;
};

// A relative system path made absolute against the working folder and lexically normal; an absolute or an
// empty path as it is. Listings open system paths, which must not depend on where the program started.
std::string AbsolutePath(const std::string& path);
// A system path without its trailing '/' ("/" stays).
std::string TrimmedPath(std::string path);

}  // namespace platform
