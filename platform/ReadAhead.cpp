// Reading a file ahead on a thread of its own, and asking which of its bytes are in memory: kept apart from
// the reading of files' bytes, whose Windows side must compile without threads or memory maps.
#include "platform/FileData.h"

#ifdef __unix__
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {

namespace {

// Waits a little for `ready` before sleeping (tuning::kHandOverSpinMicroseconds says why), giving the
// processor to the readers meanwhile: there are more threads than processors.
template <typename Ready>
void SpinBriefly(const Ready& ready) {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::microseconds(tuning::kHandOverSpinMicroseconds);
    while (!ready() && std::chrono::steady_clock::now() < until) std::this_thread::yield();
}

}  // namespace

MemoryProbe::MemoryProbe(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
    const uid_t user = ::geteuid();
    if (user != 0 && user != st.st_uid) return;
    m_size = static_cast<std::uint64_t>(st.st_size);
    m_known = true;
    if (m_size == 0) return;
    m_mapped = ::mmap(nullptr, m_size, PROT_READ, MAP_SHARED, fd, 0);
    if (m_mapped == MAP_FAILED) {
        m_mapped = nullptr;
        m_known = false;
    }
}

MemoryProbe::~MemoryProbe() {
    if (m_mapped) ::munmap(m_mapped, m_size);
}

bool MemoryProbe::Holds(std::uint64_t from, std::uint64_t size) const {
    if (!m_known) return false;
    if (size == 0) return true;
    if (from >= m_size) return false;
    size = std::min(size, m_size - from);
    static const auto kPage = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    // A megabyte of pages at a time, stopping at the first missing: a file not in memory is told at once.
    unsigned char pages[256];
    std::uint64_t at = from / kPage * kPage;
    const std::uint64_t end = from + size;
    while (at < end) {
        const std::uint64_t step = std::min<std::uint64_t>(end - at, kPage * sizeof pages);
        if (::mincore(static_cast<char*>(m_mapped) + at, step, pages) != 0) return false;
        const std::size_t count = static_cast<std::size_t>((step + kPage - 1) / kPage);
        if (!std::all_of(pages, pages + count, [](unsigned char page) { return (page & 1) != 0; }))
            return false;
        at += step;
    }
    return true;
}

struct ReadAhead::Shared {
    static constexpr std::size_t kBlocks = tuning::kReadAheadBlocks;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    struct Claimed {
        std::size_t block = 0;     // where in `bytes`
        std::size_t sequence = 0;  // its place in the file, in blocks from the start
        std::uint64_t from = 0;
    };
    struct Filled {
        std::size_t block = 0;
        std::size_t size = 0;
        int error = 0;
    };

    Shared(int from, std::uint64_t start, Mend how)
        : fd(from),
          probe(from),
          position(start),
          mend(std::move(how)),
          bytes(kBlocks * kBlockBytes),
          filled(kBlocks) {
        for (std::size_t b = 0; b < kBlocks; ++b) free.push_back(b);
        reader = std::thread([this] { Run(); });
    }

    // The next block of the file, when a block is free and the end is not found yet. Under the lock.
    bool Claim(Claimed& claim) {
        if (endAt != kNone || free.empty()) return false;
        claim = {free.front(), claimed++, position};
        free.pop_front();
        position += kBlockBytes;
        return true;
    }

    // Reads a block claimed, without the lock, and tells it. Blocks are read whole, so that one shorter is
    // the end of the file: a block after it, which may be under way already, is dropped.
    void Fill(const Claimed& claim) {
        char* into = bytes.data() + claim.block * kBlockBytes;
        Filled done{claim.block, 0, 0};
        while (done.size < kBlockBytes) {
            const ssize_t got = ::pread(fd, into + done.size, kBlockBytes - done.size,
                                        static_cast<off_t>(claim.from + done.size));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) done = {claim.block, 0, errno};
            if (got <= 0) break;
            done.size += static_cast<std::size_t>(got);
        }
        if (done.size > 0 && mend) mend(into, claim.from, done.size);
        bool waiting = false;
        {
            const std::lock_guard lock(mutex);
            if (claim.sequence > endAt) {
                // Past the end found meanwhile: never handed out, even if the file grew since.
                free.push_back(claim.block);
                return;
            }
            filled[claim.sequence % kBlocks] = done;
            if (done.size < kBlockBytes) endAt = claim.sequence;
            if (claim.sequence == handed) ready.store(true, std::memory_order_release);
            waiting = consumerWaiting;
        }
        if (waiting) blockFilled.notify_one();
    }

    void Run() {
        for (;;) {
            Claimed claim;
            {
                std::unique_lock lock(mutex);
                blockFree.wait(lock, [this] { return stop || endAt != kNone || !free.empty(); });
                if (stop || !Claim(claim)) return;
            }
            Fill(claim);
        }
    }

    int fd;
    const MemoryProbe probe;
    std::uint64_t position;  // where the next block claimed starts
    Mend mend;
    std::vector<char> bytes;
    std::mutex mutex;
    std::condition_variable blockFree;
    std::condition_variable blockFilled;
    // Oldest first: the block the consumer touched last is written last, once the processor that read it
    // has let go of it.
    std::deque<std::size_t> free;
    // The blocks read, by their place in the file: at most kBlocks are claimed and not yet handed out, so
    // each has a place of its own.
    std::vector<std::optional<Filled>> filled;
    std::size_t claimed = 0;         // blocks claimed, in the file's order
    std::size_t handed = 0;          // the next block to hand out
    std::atomic<bool> ready{false};  // whether that one is read, to be looked at without the lock
    bool consumerWaiting = false;
    std::optional<std::size_t> handedOut;
    // The first block found shorter than a whole one (the end of the file, or a failure): the last handed
    // out, and none is read past it.
    std::size_t endAt = kNone;
    bool finished = false;  // the end or a failure was handed out
    bool stop = false;
    std::thread reader;
};

ReadAhead::ReadAhead(int fd, std::uint64_t start, Mend mend)
    : m_shared(std::make_unique<Shared>(fd, start, std::move(mend))) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
    }
    m_shared->blockFree.notify_one();
    m_shared->reader.join();
}

ReadAhead::Block ReadAhead::Next() {
    Shared& shared = *m_shared;
    std::unique_lock lock(shared.mutex);
    if (shared.handedOut) {
        shared.free.push_back(*shared.handedOut);
        shared.handedOut.reset();
        shared.blockFree.notify_one();
    }
    if (shared.finished) return {};
    if (shared.handed > shared.endAt) {
        // The block before was the last, shorter than a whole one.
        shared.finished = true;
        return {};
    }
    std::optional<Shared::Filled>& next = shared.filled[shared.handed % Shared::kBlocks];
    Shared::Claimed claim;
    while (!next && shared.probe.Holds(shared.position, kBlockBytes) && shared.Claim(claim)) {
        // The reader is behind: rather than wait, this thread reads the next block nobody reads yet, when
        // that sends nothing to the disc.
        lock.unlock();
        shared.Fill(claim);
        lock.lock();
    }
    if (!next) {
        lock.unlock();
        SpinBriefly([&shared] { return shared.ready.load(std::memory_order_acquire); });
        lock.lock();
        shared.consumerWaiting = true;
        shared.blockFilled.wait(lock, [&] { return next.has_value(); });
        shared.consumerWaiting = false;
    }
    const Shared::Filled filled = *next;
    next.reset();
    ++shared.handed;
    shared.ready.store(shared.filled[shared.handed % Shared::kBlocks].has_value(), std::memory_order_relaxed);
    if (filled.size == 0) {
        shared.finished = true;
        return {nullptr, 0, filled.error};
    }
    shared.handedOut = filled.block;
    return {shared.bytes.data() + filled.block * kBlockBytes, filled.size, 0};
}

}  // namespace platform

#endif
