#include "platform/MountTable.h"

#include <libmount/libmount.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace platform {
namespace {

struct TableDeleter {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IterDeleter {
    void operator()(libmnt_iter* iter) const { mnt_free_iter(iter); }
};
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when `line` opens with two numbers, as a mountinfo line opens with a mount id and a parent id.
bool OpensWithTwoNumbers(std::string_view line) {
    std::size_t pos = 0;
    const auto skip = [&](auto keep) {
        const std::size_t start = pos;
        while (pos < line.size() && keep(line[pos])) ++pos;
        return pos > start;
    };
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    skip(blank);
    return skip(IsDigit) && skip(blank) && skip(IsDigit);
}

// libmount takes a table's format from its first line and reads every later line in that format: a first
// line that does not open like a mountinfo line would have the rest read as an fstab. Such a line is no
// mount, so the text handed over starts at the first line that opens like one.
std::string_view FromFirstMountLine(std::string_view text) {
    while (!text.empty() && !OpensWithTwoNumbers(text.substr(0, text.find('\n')))) {
        const std::size_t next = text.find('\n');
        text = next == std::string_view::npos ? std::string_view{} : text.substr(next + 1);
    }
    return text;
}

MountRecord RecordOf(libmnt_fs* fs) {
    MountRecord record;
    record.id = static_cast<std::uint32_t>(mnt_fs_get_id(fs));
    const dev_t device = mnt_fs_get_devno(fs);
    record.device = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    record.root = Text(mnt_fs_get_root(fs));
    record.mountPoint = Text(mnt_fs_get_target(fs));
    record.fsType = Text(mnt_fs_get_fstype(fs));
    record.source = Text(mnt_fs_get_source(fs));
    return record;
}

// False only when libmount could not read the text at all (out of memory); bad lines are skipped.
bool Parse(std::string_view text, std::vector<MountRecord>& records) {
    records.clear();
    const std::string_view lines = FromFirstMountLine(text);
    if (lines.empty()) return true;
    // A stream opened for reading only never writes to its buffer.
    const std::unique_ptr<std::FILE, FileCloser> stream(
        fmemopen(const_cast<char*>(lines.data()), lines.size(), "r"));
    const std::unique_ptr<libmnt_table, TableDeleter> table(mnt_new_table());
    const std::unique_ptr<libmnt_iter, IterDeleter> iter(mnt_new_iter(MNT_ITER_FORWARD));
    // Without an error callback libmount skips the lines it cannot parse and keeps going.
    if (!stream || !table || !iter || mnt_table_parse_stream(table.get(), stream.get(), "mountinfo") != 0)
        return false;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) records.push_back(RecordOf(fs));
    return true;
}

}  // namespace

std::vector<MountRecord> ParseMountInfo(std::string_view text) {
    std::vector<MountRecord> records;
    if (!Parse(text, records)) records.clear();
    return records;
}

bool ReadMountInfo(const std::string& path, std::vector<MountRecord>& records) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<MountRecord> read;
    // A table that could not be read whole must not pass for one without mounts: every mount would
    // then arrive again at the next read.
    if (file.bad() || !Parse(text, read)) return false;
    records = std::move(read);
    return true;
}

std::vector<MountRecord> NewMounts(const std::vector<MountRecord>& before,
                                   const std::vector<MountRecord>& after) {
    // Sorted, so that tables of thousands of mounts (containers) still compare in n log n.
    std::vector<MountRecord> known = before;
    std::sort(known.begin(), known.end());
    std::vector<MountRecord> arrived;
    for (const MountRecord& record : after) {
        if (!std::binary_search(known.begin(), known.end(), record)) arrived.push_back(record);
    }
    return arrived;
}

}  // namespace platform
