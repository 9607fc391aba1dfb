#include "catalogue/AtomicFile.h"

#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#include <QFile>
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#endif

namespace {
constexpr std::string_view kCreating = "creating the new file";
constexpr std::string_view kWriting = "writing";
constexpr std::string_view kFlushing = "flushing to the disc";
constexpr std::string_view kReplacing = "replacing the old file";
}  // namespace

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
    if (!m_native->file.commit()) return Fail(kReplacing, m_native->file.errorString().toStdString());
    m_native.reset();
    return true;
}

#else

struct AtomicFile::Native {
    int fd = -1;
    std::string target;     // the file to replace, symbolic links followed
    std::string temporary;  // beside it, in the same folder, so that the rename is atomic
};

namespace {
std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

// A name beside the target that no other save of this or another process picks at the same time.
std::string TemporaryName(const std::string& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld-%u-%d.tmp", static_cast<long>(::getpid()), counter++, attempt);
    return target + suffix;
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
    for (int attempt = 0; m_native->fd < 0; ++attempt) {
        const std::string name = TemporaryName(m_native->target, attempt);
        // 0666 lets the umask decide, as for any new file; a replaced file keeps its own mode below.
        m_native->fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_native->fd >= 0) {
            m_native->temporary = name;
        } else if (errno != EEXIST || attempt >= 100) {
            return Fail(kCreating, SystemReason(errno));
        }
    }
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
    if (::fsync(m_native->fd) != 0) return Fail(kFlushing, SystemReason(errno));
    const int fd = m_native->fd;
    m_native->fd = -1;
    // Some file systems report a failed write-back only when the file is closed.
    if (::close(fd) != 0) return Fail(kFlushing, SystemReason(errno));
    if (::rename(m_native->temporary.c_str(), m_native->target.c_str()) != 0)
        return Fail(kReplacing, SystemReason(errno));
    m_native->temporary.clear();
    return true;
}

#endif
