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

// Hears the bytes of the files asked for, one file at a time: Begin, its bytes in order, End. Every file
// asked for ends exactly once, unless the reading is cancelled.
class FileSink {
public:
    virtual ~FileSink() = default;
    virtual void Begin(std::size_t file) = 0;
    virtual void Bytes(const char* data, std::size_t size) = 0;
    virtual void End(std::size_t file, FileRead outcome, const std::string& reason) = 0;
};

// Hands what it hears to another sink on a thread of its own, so that hashing the bytes overlaps reading
// the next ones: on two cores the reading alone sets the pace. The bytes go through a few buffers of its
// own; a reader may read straight into one (Acquire, Commit) or hand bytes to be copied (Bytes).
class OverlappedSink : public FileSink {
public:
    explicit OverlappedSink(FileSink& to);
    // Stops the thread, dropping what it was not yet told.
    ~OverlappedSink() override;
    OverlappedSink(const OverlappedSink&) = delete;
    OverlappedSink& operator=(const OverlappedSink&) = delete;

    static constexpr std::size_t kBufferBytes = tuning::kHashBuffer;
    // A free buffer of kBufferBytes, waiting for one when all are in use.
    char* Acquire();
    // Passes on the first `size` bytes of the buffer last acquired.
    void Commit(std::size_t size);

    void Begin(std::size_t file) override;
    void Bytes(const char* data, std::size_t size) override;
    void End(std::size_t file, FileRead outcome, const std::string& reason) override;
    // Waits until the other sink has heard everything; rethrows what it threw.
    void Finish();

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
};

// Reads a file from `start` to its end on a thread of its own, a few blocks ahead of the one who uses them,
// so that what is done with the bytes (an image's parsing, hashing) overlaps reading the next ones. The
// blocks are read in order; `mend`, when given, may change a block's bytes on the reading thread before it
// is handed out. Unix systems only (it reads with pread).
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

// Reads the files `paths` below the system folder `top` in the order given. No symbolic link is followed
// on the way down or at the end. False when `cancel` stopped it.
bool ReadFolderFiles(const std::string& top, std::span<const FilePath> paths, FileSink& sink,
                     const std::atomic<bool>* cancel);

}  // namespace platform
