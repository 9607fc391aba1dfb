#include "platform/Volume.h"

#include <cerrno>
#include <cstring>

#include "platform/Drives.h"
#include "platform/FolderVolume.h"
#include "platform/ImageCache.h"
#include "platform/ImageVolume.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace platform {

namespace {

// Devices are read as images, never kept: a new disc in the drive changes nothing the file system shows.
enum class Kind { Missing, Folder, File, Device, Other };

// What is at `path`, and when it is a file, what tells one state of it from another.
struct Found {
    Kind kind = Kind::Missing;
    ImageStamp stamp;
    int error = 0;
    const char* what = "";  // for Kind::Other: what it is instead
};

Found Look(const std::string& path) {
    Found found;
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        found.error = ENOENT;
        return found;
    }
    found.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Folder : Kind::File;
    found.stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    found.stamp.changed = static_cast<std::int64_t>(
        (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime);
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        found.error = errno;
        return found;
    }
    if (S_ISDIR(st.st_mode)) {
        found.kind = Kind::Folder;
    } else if (S_ISREG(st.st_mode)) {
        found.kind = Kind::File;
    } else if (S_ISBLK(st.st_mode)) {
        found.kind = Kind::Device;
    } else {
        found.kind = Kind::Other;
        found.what = S_ISFIFO(st.st_mode)   ? "a named pipe"
                     : S_ISSOCK(st.st_mode) ? "a socket"
                     : S_ISCHR(st.st_mode)  ? "a character device"
                                            : "a special file";
    }
    found.stamp.size = static_cast<std::uint64_t>(st.st_size);
    found.stamp.changed = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    found.stamp.statusChanged =
        static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
#endif
    return found;
}

// Opens the system folder or image file `native`.
void OpenNative(const std::string& native, VolumeFolder& out, const std::atomic<bool>* cancel,
                const std::function<void(std::size_t)>& progress) {
    const Found found = Look(native);
    std::shared_ptr<const ImageVolume> image;
    switch (found.kind) {
        case Kind::Missing:
            out.problem = std::strerror(found.error);
            return;
        case Kind::Folder:
            out.volume = std::make_shared<FolderVolume>(native);
            return;
        case Kind::Other:
            // Opening a named pipe would wait for a writer that may never come.
            out.image = native;
            out.problem = std::string(found.what) + ", not a regular file";
            return;
        case Kind::File:
            image = KeptImage(native, found.stamp, out.problem, cancel, progress);
            break;
        case Kind::Device:
            image = ImageVolume::Read(native, out.problem, cancel, progress);
            break;
    }
    out.image = native;
    if (image) out.mendedNames = image->MendedNames();
    out.volume = std::move(image);
}

}  // namespace

VolumeFolder OpenVolume(const Location& where, const std::atomic<bool>* cancel,
                        const std::function<void(std::size_t)>& progress) {
    VolumeFolder out;
#ifdef _WIN32
    if (!where.IsDrive()) {
        out.problem = "not a drive";
        return out;
    }
    out.parts = where.Names();
    // A drive text may name an image file on a drive ("C:\ISOS\HOLIDAY.ISO"): it is read as a disc.
    if (!out.parts.empty() && Look(where.Text()).kind == Kind::File) {
        out.parts.clear();
        OpenNative(where.Text(), out, cancel, progress);
        return out;
    }
    std::string root = where.Root();
    if (Look(root).kind != Kind::Folder) {
        out.problem = "no disc in the drive";
        return out;
    }
    out.volume = std::make_shared<FolderVolume>(std::move(root));
#else
    if (where.IsPath()) {
        // A path typed or given on a command line is a disc of its own: it is the volume's top.
        OpenNative(where.Text(), out, cancel, progress);
        return out;
    }
    if (!where.IsDrive()) {
        out.problem = "not a drive or a path";
        return out;
    }
    out.parts = where.Names();
    const std::optional<OpticalDrive> drive = FindOpticalDrive(where);
    if (!drive || drive->folder.empty()) {
        out.problem = "no disc in the drive";
        return out;
    }
    OpenNative(drive->folder, out, cancel, progress);
#endif
    return out;
}

VolumeFolder OpenVolume(const std::string& driveText, const std::atomic<bool>* cancel,
                        const std::function<void(std::size_t)>& progress) {
    return OpenVolume(Location(driveText), cancel, progress);
}

}  // namespace platform
