#include "platform/MountWatcherTable.h"

#include <algorithm>
#include <charconv>

namespace platform {
namespace {

// The kernel writes blanks, tabs, newlines and backslashes in paths as a backslash and three octal digits.
std::string DecodeOctalEscapes(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '\\' && i + 3 < field.size();
        if (escape && std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                                  [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, end - start));
        pos = end;
    }
    return fields;
}

// Line layout: id parent major:minor root mount-point options [optional fields...] - fstype source
// super-options
bool ParseLine(std::string_view line, MountRecord& record) {
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < 10) return false;
    const auto separator = std::find(fields.begin() + 6, fields.end(), std::string_view("-"));
    if (separator == fields.end() || fields.end() - separator < 3) return false;
    const std::string_view id = fields[0];
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), record.id);
    if (error != std::errc() || end != id.data() + id.size()) return false;
    record.device = std::string(fields[2]);
    record.mountPoint = DecodeOctalEscapes(fields[4]);
    record.fsType = std::string(separator[1]);
    record.source = DecodeOctalEscapes(separator[2]);
    return true;
}

}  // namespace

std::vector<MountRecord> ParseMountInfo(std::string_view text) {
    std::vector<MountRecord> records;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        MountRecord record;
        if (ParseLine(text.substr(pos, end - pos), record)) records.push_back(std::move(record));
        pos = end + 1;
    }
    return records;
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
