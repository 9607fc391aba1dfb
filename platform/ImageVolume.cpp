#include "platform/ImageVolume.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/JolietMends.h"
#include "platform/Tuning.h"

#ifdef __linux__
#include <locale.h>

#include <clocale>
#endif

namespace platform {

constexpr std::size_t kReadBlock = tuning::kImageReadBlock;

// The image as libarchive reads it, through callbacks: read in blocks, skipped by seeking, and mended
// (JolietMends) in the blocks read.
struct ImageSource {
    int fd = -1;
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    std::vector<char> block = std::vector<char>(kReadBlock);
    const JolietMends* mends = nullptr;
    // When reading files' bytes: the image read through to its end ahead of the parsing, never skipped.
    ReadAhead* ahead = nullptr;
};

namespace {

std::uint32_t AttributesOf(std::string_view name, bool folder) {
    // What a mounted disc shows: everything read-only, files archived, dot-names hidden.
    std::uint32_t attributes = kAttrReadOnly | (folder ? kAttrDirectory : kAttrArchive);
    if (!name.empty() && name[0] == '.') attributes |= kAttrHidden;
    return attributes;
}

// "./DOCS/A.TXT", "/DOCS/", "DOCS//A.TXT": the names between the separators, joined by single slashes.
// The library's paths separate with '/' alone: unlike in a drive text (Location), a '\' is part of a name,
// as a Rock Ridge name may hold one.
std::string Normalised(const char* path) {
    std::string out;
    const std::string_view text(path);
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('/', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view part = text.substr(pos, end - pos);
        if (!part.empty() && part != ".") {
            if (!out.empty()) out.push_back('/');
            out.append(part);
        }
        pos = end + 1;
    }
    return out;
}

// Joliet names are UTF-16 in the image; libarchive turns them into the locale's character set, which must
// be UTF-8 whatever locale the program runs in, or names beyond ASCII would be lost.
class Utf8Names {
public:
#ifdef __linux__
    Utf8Names() : m_utf8(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {
        if (m_utf8) m_old = uselocale(m_utf8);
    }
    ~Utf8Names() {
        if (!m_utf8) return;
        uselocale(m_old);
        freelocale(m_utf8);
    }

private:
    locale_t m_utf8;
    locale_t m_old{};
#endif
};

// Closes the image file however the reading ends.
class OpenFile {
public:
    explicit OpenFile(int fd) : m_fd(fd) {}
    ~OpenFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// Puts back the bytes of the names JolietMends mended into [block, block + size), read from `position`.
void ApplyMends(const JolietMends& mends, char* block, std::uint64_t position, std::size_t size) {
    const auto& bytes = mends.bytes;
    const std::uint64_t end = position + size;
    auto it = std::lower_bound(bytes.begin(), bytes.end(), std::make_pair(position, '\0'),
                               [](const auto& a, const auto& b) { return a.first < b.first; });
    for (; it != bytes.end() && it->first < end; ++it) block[it->first - position] = it->second;
}

la_ssize_t ReadBlock(archive* reader, void* data, const void** out) {
    ImageSource& source = *static_cast<ImageSource*>(data);
    if (source.ahead) {
        const ReadAhead::Block block = source.ahead->Next();
        if (block.error != 0) {
            archive_set_error(reader, block.error, "%s", std::strerror(block.error));
            return -1;
        }
        source.position += block.size;
        *out = block.data;
        return static_cast<la_ssize_t>(block.size);
    }
    ssize_t got = 0;
    do {
        got = ::read(source.fd, source.block.data(), source.block.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        archive_set_error(reader, errno, "%s", std::strerror(errno));
        return -1;
    }
    if (source.mends)
        ApplyMends(*source.mends, source.block.data(), source.position, static_cast<std::size_t>(got));
    source.position += static_cast<std::uint64_t>(got);
    *out = source.block.data();
    return got;
}

la_int64_t SkipBytes(archive*, void* data, la_int64_t request) {
    ImageSource& source = *static_cast<ImageSource*>(data);
    // Read through rather than skipped: the thread reading ahead has the next blocks under way already.
    if (source.ahead) return 0;
    // Never past the end: libarchive reads what it could not skip and so finds a cut image.
    const std::uint64_t left = source.size > source.position ? source.size - source.position : 0;
    const std::uint64_t step = std::min(static_cast<std::uint64_t>(std::max<la_int64_t>(request, 0)), left);
    if (::lseek(source.fd, static_cast<off_t>(step), SEEK_CUR) < 0) return 0;
    source.position += step;
    return static_cast<la_int64_t>(step);
}

}  // namespace

ImageVolume::ImageVolume() {
    m_listings.emplace_back();
    m_folderItems.push_back(0);
    m_listingOf.emplace(std::string{}, 0);
}

std::shared_ptr<const ImageVolume> ImageVolume::Read(const std::string& path, std::string& problem,
                                                     const std::atomic<bool>* cancel,
                                                     const std::function<void(std::size_t)>& progress) {
    problem.clear();
    if (path.empty()) {
        problem = "no file named";
        return nullptr;
    }
    // Opened without waiting and checked as opened: a named pipe put in the image's place since it was
    // looked at is refused, not waited on for ever.
    const OpenFile file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.Fd() < 0 || ::fstat(file.Fd(), &st) != 0) {
        problem = std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
        problem = "not a regular file";
        return nullptr;
    }
    ::fcntl(file.Fd(), F_SETFL, ::fcntl(file.Fd(), F_GETFL) & ~O_NONBLOCK);
    ImageSource source;
    source.fd = file.Fd();
    const off_t end = ::lseek(file.Fd(), 0, SEEK_END);
    source.size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    bool unreadableName = false;
    std::shared_ptr<ImageVolume> volume = ReadTree(source, cancel, progress, problem, unreadableName);
    if (volume) volume->m_strPath = path;
    if (!unreadableName) return volume;
    // Read again with the names mended; what still cannot be read refuses the image with the reason.
    const JolietMends mends = JolietMends::Find(file.Fd());
    source = ImageSource{};
    source.fd = file.Fd();
    source.size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    source.mends = &mends;
    volume = ReadTree(source, cancel, progress, problem, unreadableName);
    if (volume) {
        volume->m_mendedNames = mends.names;
        volume->m_strPath = path;
    }
    return volume;
}

bool ImageVolume::ReadFiles(std::span<const FilePath> paths, FileSink& target,
                            const std::atomic<bool>* cancel) const {
    // The image is read ahead on threads of their own and the library hands out the blocks as they were
    // read: parsing and hashing the bytes overlap reading the next ones, and no byte is copied again. All of
    // it is heard on lane 0: one image is one stream of bytes.
    FileSink& sink = target;
    std::unordered_map<std::string_view, std::size_t> wanted;
    for (std::size_t i = 0; i < paths.size(); ++i) wanted.emplace(paths[i], i);
    std::vector<bool> ended(paths.size());
    const auto end = [&](std::size_t file, FileRead outcome, const std::string& reason) {
        ended[file] = true;
        sink.End(0, file, outcome, reason);
    };
    const auto endRest = [&](const std::string& reason) {
        for (std::size_t i = 0; i < paths.size(); ++i)
            if (!ended[i]) end(i, FileRead::Unreadable, reason);
        return true;
    };
    const OpenFile file(::open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.Fd() < 0 || ::fstat(file.Fd(), &st) != 0) return endRest(std::strerror(errno));
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) return endRest("not a regular file");
    ::fcntl(file.Fd(), F_SETFL, ::fcntl(file.Fd(), F_GETFL) & ~O_NONBLOCK);
    // The names are read as they were for the listing, mended the same way when they had to be.
    JolietMends mends;
    if (m_mendedNames > 0) mends = JolietMends::Find(file.Fd());
    ImageSource source;
    source.fd = file.Fd();
    const off_t size = ::lseek(file.Fd(), 0, SEEK_END);
    source.size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    source.mends = m_mendedNames > 0 ? &mends : nullptr;
    if (::lseek(file.Fd(), 0, SEEK_SET) != 0) return endRest(std::strerror(errno));
    ReadAhead ahead(file.Fd(), 0, [&source](char* block, std::uint64_t position, std::size_t size) {
        if (source.mends) ApplyMends(*source.mends, block, position, size);
    });
    source.ahead = &ahead;
    const Utf8Names utf8;
    const std::unique_ptr<archive, int (*)(archive*)> reader(archive_read_new(), archive_read_free);
    if (!reader) return endRest("out of memory");
    archive_read_support_format_iso9660(reader.get());
    archive_read_set_read_callback(reader.get(), ReadBlock);
    archive_read_set_skip_callback(reader.get(), SkipBytes);
    archive_read_set_callback_data(reader.get(), &source);
    const auto why = [&reader](const char* otherwise) {
        const char* text = archive_error_string(reader.get());
        return std::string(text ? text : otherwise);
    };
    if (archive_read_open1(reader.get()) != ARCHIVE_OK) return endRest(why("not a disc image"));
    archive_entry* entry = nullptr;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return false;
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return endRest(why("the image is damaged"));
        const char* name = archive_entry_pathname(entry);
        if (!name) continue;
        const auto found = wanted.find(Normalised(name));
        if (found == wanted.end() || ended[found->second]) continue;
        const std::size_t index = found->second;
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry)) {
            end(index, FileRead::NotRead, {});
            continue;
        }
        sink.Begin(0, index);
        for (;;) {
            if (cancel && cancel->load(std::memory_order_relaxed)) return false;
            const void* block = nullptr;
            std::size_t length = 0;
            la_int64_t offset = 0;
            const int got = archive_read_data_block(reader.get(), &block, &length, &offset);
            if (got == ARCHIVE_EOF) {
                end(index, FileRead::Read, {});
                break;
            }
            if (got != ARCHIVE_OK && got != ARCHIVE_WARN) {
                end(index, FileRead::Unreadable, why("the file's data cannot be read"));
                break;
            }
            if (length > 0) sink.Bytes(0, static_cast<const char*>(block), length);
        }
    }
    return endRest("not found in the image");
}

std::shared_ptr<ImageVolume> ImageVolume::ReadTree(ImageSource& from, const std::atomic<bool>* cancel,
                                                   const std::function<void(std::size_t)>& progress,
                                                   std::string& problem, bool& unreadableName) {
    unreadableName = false;
    if (::lseek(from.fd, 0, SEEK_SET) != 0) {
        problem = std::strerror(errno);
        return nullptr;
    }
    const Utf8Names utf8;
    const std::unique_ptr<archive, int (*)(archive*)> reader(archive_read_new(), archive_read_free);
    if (!reader) {
        problem = "out of memory";
        return nullptr;
    }
    // Only ISO 9660: another format (a tar file, a zip) is no disc, and UDF-only images are not readable.
    archive_read_support_format_iso9660(reader.get());
    archive_read_set_read_callback(reader.get(), ReadBlock);
    archive_read_set_skip_callback(reader.get(), SkipBytes);
    archive_read_set_callback_data(reader.get(), &from);
    if (archive_read_open1(reader.get()) != ARCHIVE_OK) {
        const char* why = archive_error_string(reader.get());
        problem = why ? why : "not a disc image";
        return nullptr;
    }
    std::shared_ptr<ImageVolume> volume(new ImageVolume);
    archive_entry* entry = nullptr;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return nullptr;
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
            const char* why = archive_error_string(reader.get());
            problem = why ? why : "the image is damaged";
            return nullptr;
        }
        const char* name = archive_entry_pathname(entry);
        if (!name) {
            // A name the library could not convert: never dropped, mended on a second reading.
            unreadableName = from.mends == nullptr;
            if (!unreadableName) {
                const char* why = archive_error_string(reader.get());
                problem = why ? why : "a name cannot be read";
            }
            return nullptr;
        }
        const std::string itemPath = Normalised(name);
        if (itemPath.empty()) continue;  // the top folder itself
        const mode_t type = archive_entry_filetype(entry);
        const std::int64_t modified =
            archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : kUnknownTime;
        if (type == AE_IFDIR) {
            volume->FolderAt(itemPath, modified);
            if (progress) progress(volume->ItemCount());
            continue;
        }
        std::uint64_t size = 0;
        if (type == AE_IFREG && archive_entry_size(entry) > 0) {
            size = static_cast<std::uint64_t>(archive_entry_size(entry));
        } else if (type == AE_IFLNK) {
            // A mounted disc gives a symbolic link the length of its target as its size.
            if (const char* target = archive_entry_symlink(entry)) size = std::strlen(target);
        }
        if (size == 0) {
            // A second name of a file is reported without a size; the system shows the file's own.
            if (const char* first = archive_entry_hardlink(entry)) size = volume->SizeOf(Normalised(first));
        }
        volume->AddItem(itemPath, 0, size, -1, modified);
        if (progress) progress(volume->ItemCount());
    }
    return volume;
}

std::size_t ImageVolume::FolderAt(std::string_view path, std::int64_t modified) {
    const auto found = m_listingOf.find(std::string(path));
    if (found != m_listingOf.end()) {
        if (modified != kUnknownTime && found->second != 0)
            m_items[m_folderItems[found->second]].modified = modified;
        return found->second;
    }
    // A folder may be met first in the path of something inside it: it is made then.
    const std::size_t listing = m_listings.size();
    m_listings.emplace_back();
    m_listingOf.emplace(std::string(path), listing);
    AddItem(path, kAttrDirectory, 0, static_cast<std::int64_t>(listing), modified);
    // Its parents may have been made meanwhile, after its listing: the item it adds comes last all the same.
    m_folderItems.resize(std::max(m_folderItems.size(), listing + 1));
    m_folderItems[listing] = m_items.size() - 1;
    return listing;
}

void ImageVolume::AddItem(std::string_view path, std::uint32_t attributes, std::uint64_t size,
                          std::int64_t folder, std::int64_t modified) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t listing = slash == std::string_view::npos ? 0 : FolderAt(path.substr(0, slash));
    const bool isFolder = (attributes & kAttrDirectory) != 0;
    m_listings[listing].push_back(m_items.size());
    m_items.push_back({m_names.size(), static_cast<std::uint32_t>(name.size()), AttributesOf(name, isFolder),
                       size, folder, modified});
    m_names.append(name);
}

std::uint64_t ImageVolume::SizeOf(std::string_view path) const {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto found = m_listingOf.find(
        std::string(slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash)));
    if (found == m_listingOf.end()) return 0;
    for (const std::size_t index : m_listings[found->second]) {
        const Item& item = m_items[index];
        if (item.folder < 0 && NameOf(item) == name) return item.size;
    }
    return 0;
}

bool ImageVolume::ListFolder(std::span<const std::string> parts,
                             const std::function<void(const DirItem&)>& visit) const {
    std::string path;
    for (const std::string& part : parts) {
        if (!path.empty()) path.push_back('/');
        path += part;
    }
    const auto found = m_listingOf.find(path);
    if (found == m_listingOf.end()) return false;
    DirItem item;
    if (!parts.empty()) {
        for (const char* dot : {".", ".."}) {
            item.name = dot;
            item.attributes = kAttrDirectory | kAttrReadOnly;
            item.size = 0;
            item.modified = kUnknownTime;
            visit(item);
        }
    }
    for (const std::size_t index : m_listings[found->second]) {
        const Item& stored = m_items[index];
        item.name.assign(NameOf(stored));
        item.attributes = stored.attributes;
        item.size = stored.size;
        item.modified = stored.modified;
        visit(item);
    }
    return true;
}

}  // namespace platform
