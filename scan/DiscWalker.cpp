#include "scan/DiscWalker.h"

#include <algorithm>
#include <new>
#include <vector>

#include "catalogue/CCDContent.h"
#include "catalogue/FormatSize.h"
#include "platform/DirectoryListing.h"
#include "platform/Drives.h"

namespace scan {

namespace {

#ifdef _WIN32
constexpr char kNativeSeparator = '\\';
#else
constexpr char kNativeSeparator = '/';
#endif

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

}  // namespace

DiscWalker::DiscWalker(std::string label) : m_strDiscLabel(std::move(label)) {}

bool DiscWalker::Walk(const std::string& drive, EntryStore& out) {
    m_bCancelled = false;
    m_bOutOfMemory = false;
    WalkFolder(drive, out);
    return !m_bCancelled;
}

void DiscWalker::WalkFolder(std::string folder, EntryStore& out) {
    m_strShownPrefix.clear();
#ifdef _WIN32
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    m_strNative = folder;
    m_strPath = folder.size() > 2 ? folder.substr(2) : std::string{};
    m_strShownPrefix = folder.substr(0, std::min<std::size_t>(folder.size(), 2));
#else
    std::vector<std::string> parts;
    if (platform::SplitDriveText(folder, parts)) {
        // Entries record the folder that was really listed, so "E:\DOCS\..\" gives the paths of "E:\".
        if (!platform::ResolveFolder(folder, m_strNative)) return;
        m_strPath = "\\";
        for (const std::string& part : parts) m_strPath.append(part).push_back('\\');
        m_strShownPrefix = folder.substr(0, 2);
    } else if (!folder.empty() && folder[0] == '/') {
        // A folder typed as a system path is a disc of its own: paths start at its top.
        m_strNative = folder;
        if (m_strNative.back() != '/') m_strNative.push_back('/');
        m_strPath = "\\";
    } else {
        return;
    }
#endif
    try {
        // The first listing goes through the drive text, which refuses symbolic links on the way down.
        WalkLevel(folder, 0, out);
    } catch (const std::bad_alloc&) {
        m_bOutOfMemory = true;
    }
}

bool DiscWalker::Cancelled() {
    if (!m_bCancelled && m_pCancel && m_pCancel->load(std::memory_order_relaxed)) m_bCancelled = true;
    return m_bCancelled;
}

void DiscWalker::WalkLevel(const std::string& listing, std::size_t depth, EntryStore& out) {
    if (Cancelled()) return;
    if (m_progress) {
        m_strShown = m_strShownPrefix.empty() ? m_strNative : m_strShownPrefix + m_strPath;
        m_progress(m_strShown, out.Size());
    }
    if (depth == m_levels.size()) m_levels.emplace_back();
    Level& level = m_levels[depth];
    level.names.clear();
    level.items.clear();
    platform::ListFolder(listing, [&level](const platform::DirItem& item) {
        if (IsDotName(item.name)) return;
        level.items.push_back({level.names.size(), item.name.size(), item.attributes, item.size});
        level.names += item.name;
    });

    const std::size_t nativeLength = m_strNative.size();
    const std::size_t pathLength = m_strPath.size();
    for (const Level::Item& item : level.items) {
        if (Cancelled()) return;
        const std::string_view name(level.names.data() + item.offset, item.length);
        const bool isFolder = platform::IsFolder(item.attributes);
        out.Append(m_strDiscLabel, name, isFolder ? kKindFolder : kKindFile, m_strPath,
                   catalogue::FormatSize(item.size));
        if (!isFolder) continue;
        m_strNative.append(name).push_back(kNativeSeparator);
        m_strPath.append(name).push_back('\\');
        WalkLevel(m_strNative, depth + 1, out);
        m_strNative.resize(nativeLength);
        m_strPath.resize(pathLength);
    }
}

}  // namespace scan
