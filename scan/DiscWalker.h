#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"
#include "platform/Volume.h"

namespace scan {

// What whoever runs a walk watches it with; any of it may be left out.
struct WalkWatch {
    const std::atomic<bool>* cancel = nullptr;                                  // DiscWalker::SetCancelFlag
    std::function<void(std::string_view folder, std::size_t entries)> entries;  // DiscWalker::SetProgress
    std::function<void(std::uint64_t read, std::uint64_t total)> bytes;         // DiscWalker::SetByteProgress
};

// Walks a disc depth-first in pre-order and appends one entry per file and folder: a folder's entry comes
// right before the entries of its contents. Runs without a display, on any thread.
class DiscWalker {
public:
    // `label` is copied into every entry.
    explicit DiscWalker(std::string label);

    // Checked between items; when it becomes true the walk stops and Walk returns false.
    void SetCancelFlag(const std::atomic<bool>* cancel) { m_pCancel = cancel; }
    // Called (on the walking thread) as each folder is entered, with its drive text and the count so far;
    // with checksums on, once more with the top folder and the whole count before the files are read.
    void SetProgress(std::function<void(std::string_view folder, std::size_t entries)> progress) {
        m_progress = std::move(progress);
    }

    // With checksums on, every file is read once the walk has listed it, and its checksum (or the reason
    // it could not be read) recorded with its entry. Reading never stops for a file that cannot be read.
    void SetChecksums(bool on) { m_bSums = on; }
    // Called as files are read for their checksums, with the bytes read so far and the sizes of all the files
    // to read: on the walking thread or on the thread that reads files beside it, never on two at once.
    void SetByteProgress(std::function<void(std::uint64_t read, std::uint64_t total)> progress) {
        m_byteProgress = std::move(progress);
    }
    // Sets the cancel flag and both progress callbacks at once.
    void Watch(const WalkWatch& watch) {
        m_pCancel = watch.cancel;
        m_progress = watch.entries;
        m_byteProgress = watch.bytes;
    }

    // Walks `drive` (a drive text such as "E:\" or "E:", or on Linux an absolute path to a folder or a disc
    // image) and appends the entries to `out`. Returns false when cancelled; `out` then holds what was
    // walked so far. A drive with nothing in it gives no entries; an image that cannot be read, or a text
    // that names nothing readable and is no drive, gives none either, and Refusal() says why. The progress
    // callback also hears the count of an image's items as they are read, before its walk.
    bool Walk(const std::string& drive, EntryStore& out);
    // Walks the opened `folder` as Walk does; `shown` is what progress reports put before its paths.
    bool Walk(const platform::VolumeFolder& folder, const std::string& shown, EntryStore& out);

    // Why the last walk read nothing: the library's reason when its drive or path named an image file
    // that could not be read, the system's when a text that is no drive named nothing readable; empty
    // otherwise.
    const std::string& Refusal() const { return m_strRefusal; }
    // The image file the last walk read or was refused, when it was given one.
    const std::string& Image() const { return m_strImage; }

    // True when the last walk stopped early because memory ran out; `out` holds what was walked.
    bool RanOutOfMemory() const { return m_bOutOfMemory; }
    // The folders below the top that the last walk could not list (a scratched disc, no permission), as
    // entries record them ("\PHOTOS\"), in walk order; none when every folder was listed. The walk goes on
    // without their contents, which is right for a new disc and wrong for comparing with one catalogued.
    const std::vector<std::string>& UnreadFolders() const { return m_unreadFolders; }
    // True when the last walk listed its whole disc, whether or not the reading of checksums that follows
    // was finished: false when it was cancelled or refused before, or memory ran out.
    bool Listed() const { return m_bListed; }
    // What the last walk of a drive text or path read of its disc (ReadDiscRecord), once it was walked to
    // its end or as far as memory allowed; empty when it was cancelled, refused or found nothing to list.
    const catalogue::DiscRecord& Record() const { return m_record; }

private:
    // One folder's items, read in full before any is walked so that no listing stays open while the
    // walk goes down (deep discs would otherwise run out of file handles). Reused level by level.
    struct Level {
        struct Item {
            std::size_t offset;
            std::size_t length;
            std::uint32_t attributes;
            std::uint64_t size;
            std::int64_t modified;
        };
        std::string names;
        std::vector<Item> items;
    };

    void WalkLevel(std::size_t depth, EntryStore& out);
    void ReadSums(EntryStore& out);
    bool Cancelled();

    std::string m_strDiscLabel;
    const std::atomic<bool>* m_pCancel = nullptr;
    std::function<void(std::string_view, std::size_t)> m_progress;
    std::function<void(std::uint64_t, std::uint64_t)> m_byteProgress;
    bool m_bSums = false;
    // The files to read for their checksums: their paths in the volume, their rows and their sizes.
    std::vector<platform::FilePath> m_sumPaths;
    std::vector<std::size_t> m_sumRows;
    std::uint64_t m_sumBytes = 0;
    bool m_bCancelled = false;
    bool m_bOutOfMemory = false;
    std::size_t m_nRead = 0;  // the items of the image read before the walk; the counts start there
    std::string m_strRefusal;
    std::vector<std::string> m_unreadFolders;
    bool m_bListed = false;
    std::string m_strImage;
    catalogue::DiscRecord m_record;
    const platform::Volume* m_pVolume = nullptr;
    std::deque<Level> m_levels;
    std::vector<std::string> m_parts;  // the folder being walked, as names below the volume's top
    std::string m_strPath;             // the same folder as entries record it: "\", "\DOCS\"
    std::string m_strShown;            // the folder as given to the progress callback
    std::string m_strShownPrefix;
};

}  // namespace scan
