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
#endif

namespace platform {

namespace {

// Reads of this size keep the system calls few while the buffer stays in the processor's cache.
constexpr std::size_t kReadBytes = OverlappedSink::kBufferBytes;

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
        sink.End(file, FileRead::Unreadable, std::strerror(errno));
        return true;
    }
    sink.Begin(file);
    for (;;) {
        if (Stopped(cancel)) return false;
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (got > 0) sink.Bytes(buffer.data(), got);
        if (got < buffer.size()) break;
    }
    if (std::ferror(in.get()))
        sink.End(file, FileRead::Unreadable, std::strerror(errno));
    else
        sink.End(file, FileRead::Read, {});
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

bool ReadOne(const std::string& top, const FilePath& path, std::vector<char>&, std::size_t file,
             OverlappedSink& sink, const std::atomic<bool>* cancel) {
    const Fd in(OpenBelowTop(top, path));
    if (in.Get() < 0) {
        if (errno == ELOOP)
            sink.End(file, FileRead::NotRead, {});
        else
            sink.End(file, FileRead::Unreadable, std::strerror(errno));
        return true;
    }
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0) {
        sink.End(file, FileRead::Unreadable, std::strerror(errno));
        return true;
    }
    if (!S_ISREG(st.st_mode)) {
        sink.End(file, FileRead::NotRead, {});
        return true;
    }
    ::fcntl(in.Get(), F_SETFL, ::fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(in.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    sink.Begin(file);
    for (;;) {
        if (Stopped(cancel)) return false;
        char* into = sink.Acquire();
        const ssize_t got = ::read(in.Get(), into, OverlappedSink::kBufferBytes);
        if (got < 0) {
            if (errno == EINTR) continue;
            sink.Commit(0);
            sink.End(file, FileRead::Unreadable, std::strerror(errno));
            return true;
        }
        sink.Commit(static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    sink.End(file, FileRead::Read, {});
    return true;
}

#endif

}  // namespace

bool ReadFolderFiles(const std::string& top, std::span<const FilePath> paths, FileSink& sink,
                     const std::atomic<bool>* cancel) {
    std::vector<char> buffer;
#ifdef _WIN32
    buffer.resize(kReadBytes);
#endif
    OverlappedSink overlapped(sink);
    for (std::size_t file = 0; file < paths.size(); ++file) {
        if (Stopped(cancel) || !ReadOne(top, paths[file], buffer, file, overlapped, cancel)) return false;
    }
    overlapped.Finish();
    return true;
}

}  // namespace platform
