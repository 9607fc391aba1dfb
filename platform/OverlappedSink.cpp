// OverlappedSink and ReadAhead, kept apart from the reading of files: they are the only parts that need
// threads.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#ifdef __unix__
#include <unistd.h>
#endif

#include "platform/FileData.h"

namespace platform {

namespace {

// Waits a little for `ready`, keeping the processor (tuning::kHandOverSpinMicroseconds says why).
template <typename Ready>
void SpinBriefly(const Ready& ready) {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::microseconds(tuning::kHandOverSpinMicroseconds);
    while (!ready() && std::chrono::steady_clock::now() < until) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
}

}  // namespace

struct OverlappedSink::Shared {
    static constexpr std::size_t kBuffers = 4;
    struct Event {
        enum Kind { Begin, Bytes, End, Stop } kind;
        std::size_t file = 0;  // Begin, End; the buffer for Bytes
        std::size_t size = 0;
        FileRead outcome = FileRead::Read;
        std::string reason;
    };

    explicit Shared(FileSink& to) : sink(to), buffers(kBuffers * kBufferBytes) {
        for (std::size_t b = 0; b < kBuffers; ++b) free.push_back(b);
        worker = std::thread([this] { Run(); });
    }

    void Push(Event event) {
        // Only a worker asleep is woken: waking it for every buffer would cost a system call each.
        bool asleep = false;
        {
            const std::lock_guard lock(mutex);
            events.push_back(std::move(event));
            pending.fetch_add(1, std::memory_order_release);
            asleep = workerAsleep;
        }
        if (asleep) eventReady.notify_one();
    }

    void Run() {
        for (;;) {
            SpinBriefly([this] { return pending.load(std::memory_order_acquire) != 0; });
            Event event;
            {
                std::unique_lock lock(mutex);
                workerAsleep = true;
                eventReady.wait(lock, [this] { return !events.empty(); });
                workerAsleep = false;
                event = std::move(events.front());
                events.pop_front();
                pending.fetch_sub(1, std::memory_order_relaxed);
            }
            if (event.kind == Event::Stop) return;
            if (failed) {
                if (event.kind == Event::Bytes) Release(event.file);
                continue;
            }
            try {
                if (event.kind == Event::Begin) sink.Begin(event.file);
                if (event.kind == Event::Bytes)
                    sink.Bytes(buffers.data() + event.file * kBufferBytes, event.size);
                if (event.kind == Event::End) sink.End(event.file, event.outcome, event.reason);
            } catch (...) {
                failed = std::current_exception();
            }
            if (event.kind == Event::Bytes) Release(event.file);
        }
    }

    void Release(std::size_t buffer) {
        bool wasEmpty = false;
        {
            const std::lock_guard lock(mutex);
            wasEmpty = free.empty();
            free.push_back(buffer);
        }
        if (wasEmpty) bufferFree.notify_one();
    }

    void Stop() {
        if (!worker.joinable()) return;
        Push({Event::Stop, 0, 0, FileRead::Read, {}});
        worker.join();
    }

    FileSink& sink;
    std::vector<char> buffers;
    std::mutex mutex;
    std::condition_variable eventReady;
    std::condition_variable bufferFree;
    std::deque<Event> events;
    std::atomic<std::size_t> pending{0};  // events.size(), to be looked at without the lock
    bool workerAsleep = false;
    std::vector<std::size_t> free;
    std::size_t acquired = 0;
    std::exception_ptr failed;
    std::thread worker;
};

OverlappedSink::OverlappedSink(FileSink& to) : m_shared(std::make_unique<Shared>(to)) {}

OverlappedSink::~OverlappedSink() {
    {
        // What was not yet heard is dropped: only a cancel or a failure leaves anything behind.
        const std::lock_guard lock(m_shared->mutex);
        m_shared->events.clear();
    }
    m_shared->Stop();
}

char* OverlappedSink::Acquire() {
    Shared& shared = *m_shared;
    std::unique_lock lock(shared.mutex);
    shared.bufferFree.wait(lock, [&] { return !shared.free.empty(); });
    shared.acquired = shared.free.back();
    shared.free.pop_back();
    return shared.buffers.data() + shared.acquired * kBufferBytes;
}

void OverlappedSink::Commit(std::size_t size) {
    m_shared->Push({Shared::Event::Bytes, m_shared->acquired, size, FileRead::Read, {}});
}

void OverlappedSink::Begin(std::size_t file) {
    m_shared->Push({Shared::Event::Begin, file, 0, FileRead::Read, {}});
}

void OverlappedSink::Bytes(const char* data, std::size_t size) {
    while (size > 0) {
        const std::size_t step = std::min(size, kBufferBytes);
        std::memcpy(Acquire(), data, step);
        Commit(step);
        data += step;
        size -= step;
    }
}

void OverlappedSink::End(std::size_t file, FileRead outcome, const std::string& reason) {
    m_shared->Push({Shared::Event::End, file, 0, outcome, reason});
}

void OverlappedSink::Finish() {
    m_shared->Stop();
    if (m_shared->failed) std::rethrow_exception(m_shared->failed);
}

#ifdef __unix__

struct ReadAhead::Shared {
    static constexpr std::size_t kBlocks = tuning::kReadAheadBlocks;
    struct Filled {
        std::size_t block = 0;
        std::size_t size = 0;
        int error = 0;
    };

    Shared(int from, std::uint64_t start, Mend how)
        : fd(from), position(start), mend(std::move(how)), bytes(kBlocks * kBlockBytes) {
        for (std::size_t b = 0; b < kBlocks; ++b) free.push_back(b);
        worker = std::thread([this] { Run(); });
    }

    void Run() {
        for (;;) {
            std::size_t block = 0;
            {
                std::unique_lock lock(mutex);
                blockFree.wait(lock, [this] { return stop || !free.empty(); });
                if (stop) return;
                block = free.back();
                free.pop_back();
            }
            char* into = bytes.data() + block * kBlockBytes;
            ssize_t got = 0;
            do {
                got = ::pread(fd, into, kBlockBytes, static_cast<off_t>(position));
            } while (got < 0 && errno == EINTR);
            Filled filled{block, got > 0 ? static_cast<std::size_t>(got) : 0, got < 0 ? errno : 0};
            if (filled.size > 0 && mend) mend(into, position, filled.size);
            position += filled.size;
            bool waiting = false;
            {
                const std::lock_guard lock(mutex);
                filledBlocks.push_back(filled);
                filledCount.fetch_add(1, std::memory_order_release);
                waiting = consumerWaiting;
            }
            if (waiting) blockFilled.notify_one();
            // The end of the file or a failure is the last thing told.
            if (filled.size == 0) return;
        }
    }

    int fd;
    std::uint64_t position;
    Mend mend;
    std::vector<char> bytes;
    std::mutex mutex;
    std::condition_variable blockFree;
    std::condition_variable blockFilled;
    std::vector<std::size_t> free;
    std::deque<Filled> filledBlocks;
    std::atomic<std::size_t> filledCount{0};  // filledBlocks.size(), to be looked at without the lock
    bool consumerWaiting = false;
    std::optional<std::size_t> handedOut;
    bool finished = false;
    bool stop = false;
    std::thread worker;
};

ReadAhead::ReadAhead(int fd, std::uint64_t start, Mend mend)
    : m_shared(std::make_unique<Shared>(fd, start, std::move(mend))) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
    }
    m_shared->blockFree.notify_one();
    m_shared->worker.join();
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
    if (shared.filledBlocks.empty()) {
        lock.unlock();
        SpinBriefly([&shared] { return shared.filledCount.load(std::memory_order_acquire) != 0; });
        lock.lock();
        shared.consumerWaiting = true;
        shared.blockFilled.wait(lock, [&] { return !shared.filledBlocks.empty(); });
        shared.consumerWaiting = false;
    }
    const Shared::Filled filled = shared.filledBlocks.front();
    shared.filledBlocks.pop_front();
    shared.filledCount.fetch_sub(1, std::memory_order_relaxed);
    if (filled.size == 0) {
        shared.finished = true;
        return {nullptr, 0, filled.error};
    }
    shared.handedOut = filled.block;
    return {shared.bytes.data() + filled.block * kBlockBytes, filled.size, 0};
}

#endif

}  // namespace platform
