#include "catalogue/AtomicFile.h"

#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#include <QFile>
#include <QSaveFile>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#endif

namespace {
constexpr std::string_view kCreating = "creating the new file";
constexpr std::string_view kWriting = "writing";
constexpr std::string_view kFlushing = "flushing to the disc";
constexpr std::string_view kReplacing = "replacing the old file";

int (*g_flushForTests)(int) = nullptr;
}  // namespace

void AtomicFile::SetFlushForTests(int (*flush)(int fd)) {
    g_flushForTests = flush;
}

bool AtomicFile::Fail(std::string_view step, const std::string& reason) {
    if (m_error.empty()) m_error = reason + " (while " + std::string(step) + ")";
    return false;
}

#if defined(_WIN32)

// QSaveFile does the same steps with the Win32 calls and their reasons.
struct AtomicFile::Native {
    explicit Native(const std::string& path) : file(QFile::decodeName(QByteArray::fromStdString(path))) {}
    QSaveFile file;
};

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile() {
    if (m_native) m_native->file.cancelWriting();
}

bool AtomicFile::Open() {
    m_native = std::make_unique<Native>(m_path);
    if (!m_native->file.open(QIODevice::WriteOnly))
        return Fail(kCreating, m_native->file.errorString().toStdString());
    return true;
}

bool AtomicFile::Write(std::string_view bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (m_native->file.write(bytes.data(), size) != size)
        return Fail(kWriting, m_native->file.errorString().toStdString());
    return true;
}

bool AtomicFile::Commit() {
    if (g_flushForTests && g_flushForTests(m_native->file.handle()) != 0)
        return Fail(kFlushing, std::generic_category().message(errno));
    if (!m_native->file.commit()) return Fail(kReplacing, m_native->file.errorString().toStdString());
    m_native.reset();
    return true;
}

#else

struct AtomicFile::Native {
    int fd = -1;
    std::string target;     // the file to replace, symbolic links followed
    std::string temporary;  // the new file's name beside the target while it has one
};

namespace {
std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

// A name beside the target that no other save of this or another process picks at the same time:
// "TARGET.PID-N-ATTEMPT.tmp".
std::string TemporaryName(const std::string& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld-%u-%d.tmp", static_cast<long>(::getpid()), counter++, attempt);
    return target + suffix;
}

// The process that made the temporary file `name` of `target`, from its name; 0 when it is none of them.
long MakerOf(std::string_view name, std::string_view target) {
    if (!name.starts_with(target) || !name.ends_with(".tmp")) return 0;
    name.remove_prefix(target.size());
    if (name.empty() || name[0] != '.') return 0;
    name.remove_prefix(1);
    long pid = 0;
    std::size_t digits = 0;
    for (; digits < name.size() && digits < 10 && name[digits] >= '0' && name[digits] <= '9'; ++digits)
        pid = pid * 10 + (name[digits] - '0');
    return digits > 0 && digits < name.size() && name[digits] == '-' ? pid : 0;
}

// The folder `target` is in: its own, or the working folder for a bare name.
std::string FolderOf(const std::string& target) {
    const std::filesystem::path path(target);
    return path.has_parent_path() ? path.parent_path().string() : ".";
}

// Removes the temporary files that saves of `target` left when their process was killed: a process that no
// longer runs cannot be writing them. A failure changes nothing for the save under way.
void RemoveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string own = std::filesystem::path(target).filename().string();
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return;
    while (const dirent* item = ::readdir(listing)) {
        const long pid = MakerOf(item->d_name, own);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(listing), item->d_name, 0);
    }
    ::closedir(listing);
}

// A file without a name in `folder`, where the system can make one; -1 with errno set else.
int UnnamedFile(const std::string& folder) {
#ifdef O_TMPFILE
    // Without /proc it could not be named in the end by a process that may not link descriptors.
    if (::access("/proc/self/fd", X_OK) != 0) {
        errno = EOPNOTSUPP;
        return -1;
    }
    // 0666 lets the umask decide, as for any new file.
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    (void)folder;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// Gives the unnamed file `fd` the name `name`; false with errno set when it cannot.
bool NameFile(int fd, const std::string& name) {
#ifdef __linux__
    char own[64];
    std::snprintf(own, sizeof own, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, own, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    const int error = errno;
    // Where the link through /proc is refused, the descriptor itself can be linked by a process allowed to.
    if (error != EEXIST && ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    errno = error;
#else
    (void)fd;
    (void)name;
    errno = EOPNOTSUPP;
#endif
    return false;
}
}  // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile() {
    if (m_native == nullptr) return;
    if (m_native->fd >= 0) ::close(m_native->fd);
    if (!m_native->temporary.empty()) ::unlink(m_native->temporary.c_str());
}

bool AtomicFile::Open() {
    m_native = std::make_unique<Native>();
    // Saving through a link replaces the file it points to and keeps the link.
    std::error_code ignored;
    m_native->target = std::filesystem::is_symlink(m_path, ignored)
                           ? std::filesystem::weakly_canonical(m_path, ignored).string()
                           : m_path;
    if (m_native->target.empty()) m_native->target = m_path;
    struct stat old {};
    const bool replacing = ::stat(m_native->target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) return Fail(kCreating, SystemReason(EISDIR));
    RemoveLeftovers(m_native->target);
    m_native->fd = UnnamedFile(FolderOf(m_native->target));
    // File systems without unnamed files say so in one of these ways; the named file then stands in.
    if (m_native->fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return Fail(kCreating, SystemReason(errno));
    for (int attempt = 0; m_native->fd < 0; ++attempt) {
        const std::string name = TemporaryName(m_native->target, attempt);
        m_native->fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_native->fd >= 0) {
            m_native->temporary = name;
        } else if (errno != EEXIST || attempt >= 100) {
            return Fail(kCreating, SystemReason(errno));
        }
    }
    // A replaced file keeps its own mode.
    if (replacing) ::fchmod(m_native->fd, old.st_mode & 07777);
    return true;
}

bool AtomicFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_native->fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fail(kWriting, SystemReason(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFile::Commit() {
    const int fd = m_native->fd;
    if ((g_flushForTests ? g_flushForTests(fd) : ::fsync(fd)) != 0)
        return Fail(kFlushing, SystemReason(errno));
    // The complete file gets a name only to be renamed over the target at once.
    for (int attempt = 0; m_native->temporary.empty(); ++attempt) {
        const std::string name = TemporaryName(m_native->target, attempt);
        if (NameFile(fd, name))
            m_native->temporary = name;
        else if (errno != EEXIST || attempt >= 100)
            return Fail(kReplacing, SystemReason(errno));
    }
    m_native->fd = -1;
    // Some file systems report a failed write-back only when the file is closed.
    if (::close(fd) != 0) return Fail(kFlushing, SystemReason(errno));
    if (::rename(m_native->temporary.c_str(), m_native->target.c_str()) != 0)
        return Fail(kReplacing, SystemReason(errno));
    m_native->temporary.clear();
    // The new name is written to disk with its folder: until then a power cut may bring the old file back,
    // after the save was said to be done. A file system that cannot flush a folder keeps its own order.
    const int folderFd = ::open(FolderOf(m_native->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

#endif
