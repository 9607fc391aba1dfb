#include "platform/Location.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace platform {

Location::Location(std::string text) : m_text(std::move(text)) {
    if (!m_text.empty() && m_text[0] == '/') {
        m_bPath = true;
        return;
    }
    if (m_text.size() < 2 || m_text[1] != ':' || (m_text.size() > 2 && m_text[2] != '\\')) return;
    const std::string root = RootOf(m_text[0]);
    if (root.empty()) return;
    m_letter = root[0];
    std::size_t pos = 2;
    while (pos < m_text.size()) {
        std::size_t end = m_text.find_first_of("\\/", pos);
        if (end == std::string::npos) end = m_text.size();
        const std::string_view name(m_text.data() + pos, end - pos);
        if (name == "..") {
            // Like Win32, ".." at the root stays at the root: a drive text cannot climb out of its drive.
            if (!m_names.empty()) m_names.pop_back();
        } else if (!name.empty() && name != ".") {
            m_names.emplace_back(name);
        }
        pos = end + 1;
    }
}

std::string Location::RootOf(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return {};
    return {letter, ':', '\\'};
}

std::string Location::Path() const {
    return m_bPath ? TrimmedPath(m_text) : std::string{};
}

std::string Location::Shown() const {
    if (IsDrive()) return m_text.substr(0, 2);
    return m_bPath ? Path() : m_text;
}

Location Location::Absolute() const {
    if (IsDrive() || m_bPath || m_text.empty()) return *this;
    return Location(AbsolutePath(m_text));
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.lexically_normal().string();
}

std::string TrimmedPath(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace platform
