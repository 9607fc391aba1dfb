#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Tuning.h"

// Reading the bytes of a volume's files, for their checksums and for verifying a disc.
namespace platform {

// A file's path below a volume's top: its names, joined by '/' ("DOCS/A.TXT").
using FilePath = std::string;

enum class FileRead {
    Read,        // every byte was handed over
    Unreadable,  // opening or reading failed; the reason says why
    NotRead,     // not a plain file with bytes of its own (a link, a device, a second name in an image)
};

// Hears the bytes of the files asked for. Each file is heard on one lane, from one thread: Begin, its bytes
// in order, End. The lanes are heard at once, each from a thread of its own (lane 0 from the caller's), so
// files end in any order. Every file asked for ends exactly once, unless the reading is cancelled.
class FileSink {
public:
    static constexpr std::size_t kLanes = 2;
    virtual ~FileSink() = default;
    virtual void Begin(std::size_t lane, std::size_t file) = 0;
    virtual void Bytes(std::size_t lane, const char* data, std::size_t size) = 0;
    virtual void End(std::size_t lane, std::size_t file, FileRead outcome, const std::string& reason) = 0;
};

// Tells whether bytes of a file are in the system's memory now, so that reading them sends nothing to the
// disc: asked of the pages without reading any, where a read that found them missing would send the drive
// after them. The system answers truly only to the file's owner, to root and to whoever may write the file
// (to others it says every page is there): asked by anyone but the owner or root, and of anything but a plain
// file, the answer is always no. Unix only.
class MemoryProbe {
public:
    explicit MemoryProbe(int fd);
    ~MemoryProbe();
    MemoryProbe(const MemoryProbe&) = delete;
    MemoryProbe& operator=(const MemoryProbe&) = delete;

    // Whether [from, from + size) is in memory, as far as the file went when it was opened; no for a range
    // that starts past that.
    bool Holds(std::uint64_t from, std::uint64_t size) const;
    // Whether the whole file is.
    bool HoldsAll() const { return m_known && Holds(0, m_size); }

private:
    bool m_known = false;  // whether the system answers truly
    void* m_mapped = nullptr;
    std::uint64_t m_size = 0;
};

// Reads a file from `start` to its end on a thread of its own, a few blocks ahead of the one who uses them:
// what is done with the bytes (an image's parsing, hashing) overlaps reading the next ones. When the reading
// thread falls behind and the next block nobody reads yet is in memory (MemoryProbe), the user reads it
// instead of waiting, so that two processors copy out what the system holds; a disc in a drive is so still
// read by one thread from start to end. The blocks are handed out in order; `mend`, when given, may change
// a block's bytes before it is handed out, on either thread, and must not throw. Unix systems only (it reads
// with pread).
class ReadAhead {
public:
    using Mend = std::function<void(char* block, std::uint64_t position, std::size_t size)>;
    ReadAhead(int fd, std::uint64_t start, Mend mend = {});
    // Stops the thread; the blocks not yet taken are dropped.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    static constexpr std::size_t kBlockBytes = tuning::kReadAheadBlock;
    struct Block {
        const char* data = nullptr;
        std::size_t size = 0;  // 0 at the end of the file, or when reading failed
        int error = 0;         // the errno of the read that failed
    };
    // The next block, waiting for it when it is not read yet. Its bytes stay as they are until the next
    // call: the block handed out before is given back to the reading thread then.
    Block Next();

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
};

// Reads the files `paths` below the system folder `top` in the order given, on lane 0. A second lane takes
// the next file instead when all of its bytes are in memory already, so that two processors copy them out,
// while a disc in a drive is still read one file after another. No symbolic link is followed on the way
// down or at the end. False when `cancel` stopped it.
bool ReadFolderFiles(const std::string& top, std::span<const FilePath> paths, FileSink& sink,
                     const std::atomic<bool>* cancel);

}  // namespace platform
