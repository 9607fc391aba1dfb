#include "platform/FileData.h"

#include <cerrno>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <cstdio>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#endif

namespace platform {

namespace {

// Reads of this size keep the system calls few while the buffer stays in the processor's cache.
constexpr std::size_t kReadBytes = tuning::kHashBuffer;

bool Stopped(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

#ifdef _WIN32

// Windows: the folder's own names, with the system's reading of links.
bool ReadOne(const std::string& top, const FilePath& path, std::vector<char>& buffer, std::size_t file,
             FileSink& sink, const std::atomic<bool>* cancel) {
    std::string full = top;
    if (!full.empty() && full.back() != '\\') full.push_back('\\');
    for (const char c : path) full.push_back(c == '/' ? '\\' : c);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(full.c_str(), "rb"), std::fclose);
    if (!in) {
        sink.End(0, file, FileRead::Unreadable, std::strerror(errno));
        return true;
    }
    sink.Begin(0, file);
    for (;;) {
        if (Stopped(cancel)) return false;
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (got > 0) sink.Bytes(0, buffer.data(), got);
        if (got < buffer.size()) break;
    }
    if (std::ferror(in.get()))
        sink.End(0, file, FileRead::Unreadable, std::strerror(errno));
    else
        sink.End(0, file, FileRead::Read, {});
    return true;
}

}  // namespace

bool ReadFolderFiles(const std::string& top, std::span<const FilePath> paths, FileSink& sink,
                     const std::atomic<bool>* cancel) {
    std::vector<char> buffer(kReadBytes);
    for (std::size_t file = 0; file < paths.size(); ++file) {
        if (Stopped(cancel) || !ReadOne(top, paths[file], buffer, file, sink, cancel)) return false;
    }
    return true;
}

#else

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Opens `path` below `top` one name at a time, following no link; -1 with errno set when it cannot.
int OpenBelowTop(const std::string& top, const FilePath& path) {
    Fd folder(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0) return -1;
    int at = folder.Get();
    std::unique_ptr<Fd> inner;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string name = path.substr(start, slash == std::string::npos ? slash : slash - start);
        if (slash == std::string::npos)
            // Not waiting on a named pipe: the mode is checked once it is open.
            return ::openat(at, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        inner =
            std::make_unique<Fd>(::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (inner->Get() < 0) return -1;
        at = inner->Get();
        start = slash + 1;
    }
}

// Hands the bytes of a plain file opened as `in` to the sink on `lane`, to its end. False when cancelled.
bool ReadOpened(int in, char* buffer, std::size_t lane, std::size_t file, FileSink& sink,
                const std::atomic<bool>* cancel) {
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    sink.Begin(lane, file);
    for (;;) {
        if (Stopped(cancel)) return false;
        const ssize_t got = ::read(in, buffer, kReadBytes);
        if (got < 0) {
            if (errno == EINTR) continue;
            sink.End(lane, file, FileRead::Unreadable, std::strerror(errno));
            return true;
        }
        if (got == 0) break;
        sink.Bytes(lane, buffer, static_cast<std::size_t>(got));
    }
    sink.End(lane, file, FileRead::Read, {});
    return true;
}

bool ReadOne(const std::string& top, const FilePath& path, char* buffer, std::size_t file, FileSink& sink,
             const std::atomic<bool>* cancel) {
    const Fd in(OpenBelowTop(top, path));
    if (in.Get() < 0) {
        if (errno == ELOOP)
            sink.End(0, file, FileRead::NotRead, {});
        else
            sink.End(0, file, FileRead::Unreadable, std::strerror(errno));
        return true;
    }
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0) {
        sink.End(0, file, FileRead::Unreadable, std::strerror(errno));
        return true;
    }
    if (!S_ISREG(st.st_mode)) {
        sink.End(0, file, FileRead::NotRead, {});
        return true;
    }
    return ReadOpened(in.Get(), buffer, 0, file, sink, cancel);
}

// The files shared out between the two lanes: the lead takes every next file in order, the helper one whose
// bytes are all in memory. A disc read from its drive is so read one file after another, while files the
// system holds already are copied out by two processors: copying them is most of what reading costs.
class Lanes {
public:
    Lanes(const std::string& top, std::span<const FilePath> paths, FileSink& sink,
          const std::atomic<bool>* cancel)
        : m_top(top), m_paths(paths), m_sink(sink), m_cancel(cancel) {}

    bool Run() {
        std::thread helper;
        try {
            helper = std::thread([this] { Help(); });
        } catch (const std::system_error&) {
            // No thread to be had: the lead reads every file.
        }
        {
            // However the lead ends, the helper is told and waited for before the sink goes.
            struct Joined {
                Lanes& lanes;
                std::thread& helper;
                ~Joined() {
                    lanes.Finish();
                    if (helper.joinable()) helper.join();
                }
            } joined{*this, helper};
            Lead();
        }
        if (m_failed) std::rethrow_exception(m_failed);
        return !m_cancelled;
    }

private:
    void Finish() {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
    }

    void Lead() {
        std::vector<char> buffer(kReadBytes);
        for (;;) {
            std::size_t file = 0;
            {
                const std::lock_guard lock(m_mutex);
                if (m_done) return;
                file = m_next++;
            }
            m_changed.notify_one();
            if (file >= m_paths.size()) return;
            if (Stopped(m_cancel) || !ReadOne(m_top, m_paths[file], buffer.data(), file, m_sink, m_cancel)) {
                Cancelled();
                return;
            }
        }
    }

    void Help() try {
        std::vector<char> buffer;
        try {
            buffer.resize(kReadBytes);
        } catch (const std::bad_alloc&) {
            return;  // no room to help: the lead reads every file
        }
        std::size_t tried = m_paths.size();
        for (;;) {
            std::size_t file = 0;
            {
                std::unique_lock lock(m_mutex);
                // Each file is looked at once: one not in memory is the lead's, and the next is tried once
                // the lead has taken it.
                m_changed.wait(lock, [&] { return m_done || m_next != tried; });
                if (m_done || m_next >= m_paths.size()) return;
                file = m_next;
            }
            tried = file;
            // Anything amiss with the file is left to the lead, who tells it in the file's turn.
            const Fd in(OpenBelowTop(m_top, m_paths[file]));
            if (in.Get() < 0 || !MemoryProbe(in.Get()).HoldsAll()) continue;
            {
                const std::lock_guard lock(m_mutex);
                if (m_done || m_next != file) continue;
                ++m_next;
            }
            if (!ReadOpened(in.Get(), buffer.data(), 1, file, m_sink, m_cancel)) {
                Cancelled();
                return;
            }
        }
    } catch (...) {
        {
            const std::lock_guard lock(m_mutex);
            m_failed = std::current_exception();
            m_done = true;
        }
        m_changed.notify_all();
    }

    void Cancelled() {
        {
            const std::lock_guard lock(m_mutex);
            m_cancelled = true;
            m_done = true;
        }
        m_changed.notify_all();
    }

    const std::string& m_top;
    std::span<const FilePath> m_paths;
    FileSink& m_sink;
    const std::atomic<bool>* m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;  // the first file neither lane has taken
    bool m_done = false;
    bool m_cancelled = false;
    std::exception_ptr m_failed;
};

}  // namespace

bool ReadFolderFiles(const std::string& top, std::span<const FilePath> paths, FileSink& sink,
                     const std::atomic<bool>* cancel) {
    return Lanes(top, paths, sink, cancel).Run();
}

#endif

}  // namespace platform
