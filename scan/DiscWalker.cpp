#include "scan/DiscWalker.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <new>

#include "catalogue/CCDContent.h"
#include "catalogue/FileSum.h"
#include "catalogue/FormatSize.h"
#include "platform/DirectoryListing.h"
#include "platform/Location.h"
#include "scan/DiscDetails.h"

namespace scan {

namespace {

static_assert(platform::kUnknownTime == EntryStore::kUnknownTime);

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

}  // namespace

DiscWalker::DiscWalker(std::string label) : m_strDiscLabel(std::move(label)) {}

bool DiscWalker::Walk(const std::string& drive, EntryStore& out) {
    const platform::Location where(drive);
    const std::string shown = where.Shown();
    m_nRead = 0;
    const platform::VolumeFolder folder = platform::OpenVolume(where, m_pCancel, [&](std::size_t items) {
        m_nRead = items;
        if (m_progress) m_progress(shown, items);
    });
    const bool walked = Walk(folder, shown, out);
    // Read after the walk, on the walking thread: a slow drive keeps no window waiting.
    if (walked && folder) m_record = ReadDiscRecord(drive);
    // A drive with no disc in it gives an empty disc, as it always has; any other text that names nothing
    // readable (a mistyped path) would give an empty disc nobody asked for.
    if (!folder && m_strRefusal.empty() && !where.IsDrive()) m_strRefusal = folder.problem;
    m_nRead = 0;
    return walked;
}

bool DiscWalker::Walk(const platform::VolumeFolder& folder, const std::string& shown, EntryStore& out) {
    m_bCancelled = false;
    m_bOutOfMemory = false;
    m_strImage = folder.image;
    m_unreadFolders.clear();
    m_bListed = false;
    m_record = {};
    m_strRefusal = folder || folder.image.empty() ? std::string{} : folder.problem;
    // An image whose reading was cancelled opens as nothing: that is a cancelled walk, not an empty disc.
    if (Cancelled() || !folder) return !m_bCancelled;
    m_pVolume = folder.volume.get();
    m_parts = folder.parts;
    // Entries record the folder that was really listed, so "E:\DOCS\..\" gives the paths of "E:\".
    m_strPath.assign(1, '\\');
    for (const std::string& part : m_parts) m_strPath.append(part).push_back('\\');
    m_strShownPrefix = shown;
    m_sumPaths.clear();
    m_sumRows.clear();
    m_sumBytes = 0;
    try {
        WalkLevel(0, out);
        m_bListed = !m_bCancelled;
        if (m_bSums && !m_bCancelled) {
            // The last count told was that of the last folder entered; the reading shows the whole disc's.
            if (m_progress) m_progress(m_strShownPrefix + m_strPath, std::max(m_nRead, out.Size()));
            ReadSums(out);
        }
    } catch (const std::bad_alloc&) {
        m_bOutOfMemory = true;
    }
    m_pVolume = nullptr;
    return !m_bCancelled;
}

bool DiscWalker::Cancelled() {
    if (!m_bCancelled && m_pCancel && m_pCancel->load(std::memory_order_relaxed)) m_bCancelled = true;
    return m_bCancelled;
}

void DiscWalker::WalkLevel(std::size_t depth, EntryStore& out) {
    if (Cancelled()) return;
    if (m_progress) {
        m_strShown.assign(m_strShownPrefix).append(m_strPath);
        m_progress(m_strShown, std::max(m_nRead, out.Size()));
    }
    if (depth == m_levels.size()) m_levels.emplace_back();
    Level& level = m_levels[depth];
    level.names.clear();
    level.items.clear();
    const bool listed = m_pVolume->ListFolder(m_parts, [&level](const platform::DirItem& item) {
        if (IsDotName(item.name)) return;
        level.items.push_back(
            {level.names.size(), item.name.size(), item.attributes, item.size, item.modified});
        level.names += item.name;
    });
    if (!listed && depth > 0) m_unreadFolders.push_back(m_strPath);

    const std::size_t pathLength = m_strPath.size();
    for (const Level::Item& item : level.items) {
        if (Cancelled()) return;
        const std::string_view name(level.names.data() + item.offset, item.length);
        const bool isFolder = platform::IsFolder(item.attributes);
        const std::size_t row = out.Append(m_strDiscLabel, name, isFolder ? kKindFolder : kKindFile,
                                           m_strPath, catalogue::FormatSize(item.size));
        out.SetModified(row, item.modified);
        if (!isFolder) {
            if (m_bSums) {
                std::string& path = m_sumPaths.emplace_back();
                for (const std::string& part : m_parts) path.append(part).push_back('/');
                path.append(name);
                m_sumRows.push_back(row);
                m_sumBytes += item.size;
            }
            continue;
        }
        m_parts.emplace_back(name);
        m_strPath.append(name).push_back('\\');
        WalkLevel(depth + 1, out);
        m_parts.pop_back();
        m_strPath.resize(pathLength);
    }
}

namespace {

// Hashes each file as its bytes arrive, one hasher a lane, and records the outcome with its entry.
class SumRecorder : public platform::FileSink {
public:
    SumRecorder(EntryStore& out, const std::vector<std::size_t>& rows, std::uint64_t total,
                const std::function<void(std::uint64_t, std::uint64_t)>& progress)
        : m_out(out), m_rows(rows), m_total(total), m_progress(progress) {}

    void Begin(std::size_t lane, std::size_t) override { m_hashers[lane].Reset(); }
    void Bytes(std::size_t lane, const char* data, std::size_t size) override {
        m_hashers[lane].Update(data, size);
        const std::uint64_t read = m_read.fetch_add(size, std::memory_order_relaxed) + size;
        // Every few megabytes, from whichever lane gets there: the second lane may read most of the bytes
        // while the lead has none left. Told under a lock, so the callback never runs on two threads at once
        // and the count it is told never goes back.
        if (m_progress && read - m_told.load(std::memory_order_relaxed) >= kTellEvery) {
            const std::lock_guard lock(m_telling);
            const std::uint64_t told = m_told.load(std::memory_order_relaxed);
            if (read < told || read - told < kTellEvery) return;  // the other lane told as much meanwhile
            m_told.store(read, std::memory_order_relaxed);
            m_progress(read, m_total);
        }
    }
    void End(std::size_t lane, std::size_t file, platform::FileRead outcome,
             const std::string& reason) override {
        const std::size_t row = m_rows[file];
        const std::lock_guard lock(m_storing);
        if (outcome == platform::FileRead::Read)
            m_out.SetSum(row, m_hashers[lane].Digest());
        else if (outcome == platform::FileRead::Unreadable)
            m_out.SetUnreadable(row, reason);
    }

private:
    static constexpr std::uint64_t kTellEvery = std::uint64_t{4} << 20;
    EntryStore& m_out;
    const std::vector<std::size_t>& m_rows;
    std::uint64_t m_total;
    const std::function<void(std::uint64_t, std::uint64_t)>& m_progress;
    std::array<catalogue::SumHasher, kLanes> m_hashers;
    std::mutex m_storing;  // the entries are one store, whichever lane ends a file
    std::mutex m_telling;
    std::atomic<std::uint64_t> m_read{0};
    std::atomic<std::uint64_t> m_told{0};
};

}  // namespace

void DiscWalker::ReadSums(EntryStore& out) {
    SumRecorder recorder(out, m_sumRows, m_sumBytes, m_byteProgress);
    if (!m_pVolume->ReadFiles(m_sumPaths, recorder, m_pCancel)) m_bCancelled = true;
    if (m_byteProgress && !m_bCancelled) m_byteProgress(m_sumBytes, m_sumBytes);
}

}  // namespace scan
