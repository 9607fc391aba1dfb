#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Disc images made by the tests themselves with libarchive's ISO 9660 writer. Needs LibArchive::LibArchive.
namespace iso {

enum class Names { RockRidgeAndJoliet, RockRidge, Joliet };

// Writes an ISO 9660 image of every file, folder, symbolic link and hard link below `folder`, with the names
// `names` gives and the volume label `volume` (libarchive's "CDROM" when empty). False when the writer
// refused something.
inline bool Write(const std::string& folder, const std::string& image,
                  Names names = Names::RockRidgeAndJoliet, const std::string& volume = {}) {
    // Joliet names are UTF-16; the writer converts from the locale's character set, which must be UTF-8.
    const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    const locale_t old = uselocale(utf8);
    archive* writer = archive_write_new();
    archive_write_set_format_iso9660(writer);
    archive_write_set_option(writer, "iso9660", "rockridge", names == Names::Joliet ? nullptr : "1");
    archive_write_set_option(writer, "iso9660", "joliet", names == Names::RockRidge ? nullptr : "long");
    archive_write_set_option(writer, "iso9660", "iso-level", "3");
    if (!volume.empty()) archive_write_set_option(writer, "iso9660", "volume-id", volume.c_str());
    bool ok = archive_write_open_filename(writer, image.c_str()) == ARCHIVE_OK;
    const std::filesystem::path top(folder);
    std::map<std::pair<dev_t, ino_t>, std::string> firstNames;  // of files with more than one name
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(top, error);
         ok && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::filesystem::path& path = it->path();
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) return false;
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, path.lexically_relative(top).c_str());
        archive_entry_copy_stat(entry, &st);
        std::string data;
        const std::string relative = path.lexically_relative(top).string();
        const auto first = firstNames.try_emplace({st.st_dev, st.st_ino}, relative);
        if (S_ISREG(st.st_mode) && st.st_nlink > 1 && !first.second) {
            // Another name of a file already written: the writer records it as a hard link, without data.
            archive_entry_set_hardlink(entry, first.first->second.c_str());
            archive_entry_set_size(entry, 0);
        } else if (S_ISLNK(st.st_mode)) {
            archive_entry_set_symlink(entry, std::filesystem::read_symlink(path).c_str());
        } else if (S_ISREG(st.st_mode)) {
            std::ifstream in(path, std::ios::binary);
            data.assign(std::istreambuf_iterator<char>(in), {});
        }
        ok = archive_write_header(writer, entry) == ARCHIVE_OK;
        if (ok && !data.empty())
            ok = archive_write_data(writer, data.data(), data.size()) == ssize_t(data.size());
        if (!ok) ADD_FAILURE() << archive_error_string(writer) << ": " << path;
        archive_entry_free(entry);
    }
    ok = archive_write_close(writer) == ARCHIVE_OK && ok;
    archive_write_free(writer);
    uselocale(old);
    freelocale(utf8);
    return ok;
}

inline void PutBoth32(std::vector<char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i));
        bytes[at + 7 - i] = static_cast<char>(value >> (8 * i));
    }
}

inline std::uint32_t Get32(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The size of the one file of the image WriteHuge makes: more than 4 GiB.
inline constexpr std::uint64_t kHugeSize = 0xFFFFF800ull + 6144;

// Writes an image whose top holds "huge.bin" of kHugeSize bytes and "small.txt". The writer can make files
// over 4 GiB (iso-level 3, in extents of less than 4 GiB), but only by copying all their data through a
// temporary file; so the image is written with a 2 KiB file whose directory record is then split into two
// extents of the full size, and the image is made sparse up to its new end.
inline bool WriteHuge(const std::string& scratch, const std::string& image) {
    std::filesystem::create_directories(scratch);
    std::ofstream(scratch + "/huge.bin", std::ios::binary) << std::string(2048, 'h');
    std::ofstream(scratch + "/small.txt", std::ios::binary) << "small";
    if (!Write(scratch, image, Names::RockRidge)) return false;
    std::ifstream in(image, std::ios::binary);
    std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
    constexpr std::size_t kBlock = 2048;
    constexpr std::size_t kPvd = 16 * kBlock;
    const std::size_t top = Get32(bytes, kPvd + 156 + 2) * kBlock;
    std::size_t at = top;
    std::size_t end = top;
    std::size_t record = 0;
    while (end < bytes.size() && bytes[end] != 0) {
        const std::size_t length = static_cast<unsigned char>(bytes[end]);
        if (std::string_view(&bytes[end + 33], 8) == "HUGE.BIN") record = end;
        end += length;
    }
    if (record == 0) return false;
    const std::size_t length = static_cast<unsigned char>(bytes[record]);
    std::vector<char> first(bytes.begin() + record, bytes.begin() + record + length);
    std::vector<char> second = first;
    const std::uint32_t extent = Get32(first, 2);
    first[25] = static_cast<char>(first[25] | 0x80);  // more extents follow
    PutBoth32(first, 10, 0xFFFFF800u);
    PutBoth32(second, 2, extent + 0xFFFFF800u / kBlock);
    PutBoth32(second, 10, 6144);
    std::vector<char> folder(bytes.begin() + top, bytes.begin() + record);
    folder.insert(folder.end(), first.begin(), first.end());
    folder.insert(folder.end(), second.begin(), second.end());
    folder.insert(folder.end(), bytes.begin() + record + length, bytes.begin() + end);
    if (folder.size() > kBlock) return false;
    std::copy(folder.begin(), folder.end(), bytes.begin() + top);
    at = extent + 0xFFFFF800u / kBlock + 3 + 16;
    PutBoth32(bytes, kPvd + 80, static_cast<std::uint32_t>(at));
    std::ofstream(image, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), std::streamsize(bytes.size()));
    return truncate(image.c_str(), static_cast<off_t>(at * kBlock)) == 0;
}

// Replaces every `from` in the bytes of `image` by `to` (as long); returns how many were replaced.
inline std::size_t ReplaceBytes(const std::string& image, const std::string& from, const std::string& to) {
    std::string data;
    {
        std::ifstream in(image, std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t count = 0;
    for (std::size_t at = data.find(from); at != std::string::npos; at = data.find(from, at + to.size())) {
        data.replace(at, from.size(), to);
        ++count;
    }
    std::ofstream(image, std::ios::binary | std::ios::trunc) << data;
    return count;
}

// Puts `label` (at most 32 bytes, any bytes) as the volume label of an image written without Joliet names.
inline void SetVolumeLabel(const std::string& image, const std::string& label) {
    std::fstream file(image, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(16 * 2048 + 40);
    file << (label + std::string(32, ' ')).substr(0, 32);
}

// Blanks the volume label of an image written without Joliet names: it then has none.
inline void ClearVolumeLabel(const std::string& image) {
    SetVolumeLabel(image, "");
}

// The creation and modification times of an image's volume, of which libblkid makes its UUID.
inline std::string VolumeDates(const std::string& image) {
    std::ifstream in(image, std::ios::binary);
    in.seekg(16 * 2048 + 813);
    std::string dates(34, '\0');
    in.read(dates.data(), 34);
    return dates;
}

// Puts `dates` (as VolumeDates reads them) in an image; "0000000000000000\0" twice leaves it without a UUID.
inline void SetVolumeDates(const std::string& image, const std::string& dates) {
    std::fstream file(image, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(16 * 2048 + 813);
    file.write(dates.data(), std::streamsize(dates.size()));
}

// Writes the first `bytes` bytes of `image` to `cut`.
inline void Truncated(const std::string& image, const std::string& cut, std::size_t bytes) {
    std::ifstream in(image, std::ios::binary);
    std::string data(std::istreambuf_iterator<char>(in), {});
    std::ofstream(cut, std::ios::binary) << data.substr(0, bytes);
}

}  // namespace iso
