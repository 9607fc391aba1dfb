#include "catalogue/CdiBlock.h"

#include <xxhash.h>

namespace cdi::block {
namespace {

// The fields of a disc record, each a 16-bit kind, a 32-bit length and its bytes, so that a later version
// can add fields that this one skips.
enum Field : std::uint16_t {
    kCatalogued = 1,
    kSource = 2,
    kDevice = 3,
    kVolumeLabel = 4,
    kFileSystem = 5,
    kSerial = 6,
    kCapacity = 7,
    kFree = 8,
    kLocation = 9,
    kNotes = 10,
};
constexpr std::size_t kFieldHeadBytes = 2 + 4;
constexpr std::size_t kRecordHeadBytes = 8 + 4;

void Put16(std::uint16_t v, std::string& out) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::uint32_t v, std::string& out) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

std::uint64_t GetLE(const char* at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(at[i]);
    return v;
}

void PutText(Field field, std::string_view text, std::string& out) {
    if (text.empty()) return;
    Put16(field, out);
    Put32(static_cast<std::uint32_t>(text.size()), out);
    out.append(text);
}

void PutNumber(Field field, std::int64_t value, std::int64_t unknown, std::string& out) {
    if (value == unknown) return;
    Put16(field, out);
    Put32(8, out);
    Put64(static_cast<std::uint64_t>(value), out);
}

// Applies one field to `record`; false when a number's length is not 8.
bool ApplyField(std::uint16_t field, std::string_view bytes, catalogue::DiscRecord& record) {
    const auto number = [&](std::int64_t& into) {
        if (bytes.size() != 8) return false;
        into = static_cast<std::int64_t>(Get64(bytes.data()));
        return true;
    };
    switch (field) {
        case kCatalogued:
            return number(record.catalogued);
        case kCapacity:
            return number(record.capacity);
        case kFree:
            return number(record.freeBytes);
        case kSource:
            record.source = bytes;
            return true;
        case kDevice:
            record.device = bytes;
            return true;
        case kVolumeLabel:
            record.volumeLabel = bytes;
            return true;
        case kFileSystem:
            record.fileSystem = bytes;
            return true;
        case kSerial:
            record.serial = bytes;
            return true;
        case kLocation:
            record.location = bytes;
            return true;
        case kNotes:
            record.notes = bytes;
            return true;
        default:
            return true;  // a field of a later version
    }
}

}  // namespace

std::uint64_t Hash(std::string_view bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

void Put64(std::uint64_t v, std::string& out) {
    for (int shift = 0; shift < 64; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

std::uint64_t Get64(const char* at) {
    return GetLE(at, 8);
}

void PutHeader(const Header& header, std::string& out) {
    out.append(kMagic);
    Put16(header.version, out);
    Put16(header.flags, out);
    Put32(header.entries, out);
    Put64(header.entryHash, out);
    Put64(header.length, out);
}

Header GetHeader(const char* at) {
    Header header;
    header.version = static_cast<std::uint16_t>(GetLE(at + 8, 2));
    header.flags = static_cast<std::uint16_t>(GetLE(at + 10, 2));
    header.entries = static_cast<std::uint32_t>(GetLE(at + 12, 4));
    header.entryHash = Get64(at + 16);
    header.length = Get64(at + 24);
    return header;
}

void PutSectionHead(const SectionHead& head, std::string& out) {
    Put32(head.kind, out);
    Put32(head.flags, out);
    Put64(head.length, out);
}

SectionHead GetSectionHead(const char* at) {
    return {static_cast<std::uint32_t>(GetLE(at, 4)), static_cast<std::uint32_t>(GetLE(at + 4, 4)),
            Get64(at + 8)};
}

std::string EncodeDiscs(const catalogue::DiscRecords& discs) {
    std::string out;
    Put32(static_cast<std::uint32_t>(discs.Size()), out);
    std::string fields;
    for (const auto& [first, record] : discs.All()) {
        fields.clear();
        PutNumber(kCatalogued, record.catalogued, EntryStore::kUnknownTime, fields);
        PutText(kSource, record.source, fields);
        PutText(kDevice, record.device, fields);
        PutText(kVolumeLabel, record.volumeLabel, fields);
        PutText(kFileSystem, record.fileSystem, fields);
        PutText(kSerial, record.serial, fields);
        PutNumber(kCapacity, record.capacity, catalogue::DiscRecord::kUnknown, fields);
        PutNumber(kFree, record.freeBytes, catalogue::DiscRecord::kUnknown, fields);
        PutText(kLocation, record.location, fields);
        PutText(kNotes, record.notes, fields);
        Put64(first, out);
        Put32(static_cast<std::uint32_t>(fields.size()), out);
        out += fields;
    }
    return out;
}

bool DecodeDiscs(std::string_view payload, std::size_t entries, catalogue::DiscRecords& discs,
                 std::string& problem) {
    if (payload.size() < 4) {
        problem = "the disc records end before their count";
        return false;
    }
    const std::uint64_t count = GetLE(payload.data(), 4);
    std::size_t at = 4;
    // Every record takes at least its head: a count beyond that is refused before anything is read.
    if (count > (payload.size() - at) / kRecordHeadBytes) {
        problem = "the disc records count " + std::to_string(count) + " more than their section holds";
        return false;
    }
    std::uint64_t previous = 0;
    for (std::uint64_t r = 0; r < count; ++r) {
        if (payload.size() - at < kRecordHeadBytes) {
            problem = "disc record " + std::to_string(r + 1) + " is cut off";
            return false;
        }
        const std::uint64_t first = Get64(payload.data() + at);
        const std::uint64_t length = GetLE(payload.data() + at + 8, 4);
        at += kRecordHeadBytes;
        if (length > payload.size() - at) {
            problem = "disc record " + std::to_string(r + 1) + " runs past its section";
            return false;
        }
        if (first >= entries || (r > 0 && first <= previous)) {
            problem = "disc record " + std::to_string(r + 1) + " names row " + std::to_string(first) +
                      ", not a later one of the entries";
            return false;
        }
        previous = first;
        const std::string_view fields = payload.substr(at, length);
        at += length;
        catalogue::DiscRecord record;
        for (std::size_t f = 0; f < fields.size();) {
            const std::size_t left = fields.size() - f;
            const std::uint64_t fieldLength = left < kFieldHeadBytes ? 0 : GetLE(fields.data() + f + 2, 4);
            if (left < kFieldHeadBytes || fieldLength > left - kFieldHeadBytes ||
                !ApplyField(static_cast<std::uint16_t>(GetLE(fields.data() + f, 2)),
                            fields.substr(f + kFieldHeadBytes, fieldLength), record)) {
                problem = "a field of disc record " + std::to_string(r + 1) + " is damaged";
                return false;
            }
            f += kFieldHeadBytes + fieldLength;
        }
        discs.Set(first, std::move(record));
    }
    if (at != payload.size()) {
        problem = "the disc records are followed by bytes they do not account for";
        return false;
    }
    return true;
}

void StoreSum(const EntryStore::FileSum& sum, char* at) {
    at[0] = static_cast<char>(sum.state);
    std::memcpy(at + 1, sum.digest.data(), sum.digest.size());
}

bool LoadSum(const char* at, EntryStore::FileSum& sum) {
    const auto state = static_cast<unsigned char>(at[0]);
    if (state > static_cast<unsigned char>(EntryStore::SumState::Unreadable)) return false;
    sum.state = static_cast<EntryStore::SumState>(state);
    std::memcpy(sum.digest.data(), at + 1, sum.digest.size());
    return true;
}

std::string EncodeReadErrors(const std::map<std::size_t, std::string>& errors) {
    std::string out;
    Put32(static_cast<std::uint32_t>(errors.size()), out);
    for (const auto& [row, reason] : errors) {
        Put64(row, out);
        Put32(static_cast<std::uint32_t>(reason.size()), out);
        out += reason;
    }
    return out;
}

bool DecodeReadErrors(std::string_view payload, EntryStore& store, std::string& problem) {
    constexpr std::size_t kHead = 8 + 4;
    if (payload.size() < 4) {
        problem = "the read errors end before their count";
        return false;
    }
    const std::uint64_t count = GetLE(payload.data(), 4);
    std::size_t at = 4;
    if (count > (payload.size() - at) / kHead) {
        problem = "the read errors count " + std::to_string(count) + " more than their section holds";
        return false;
    }
    std::uint64_t previous = 0;
    for (std::uint64_t r = 0; r < count; ++r) {
        if (payload.size() - at < kHead) {
            problem = "read error " + std::to_string(r + 1) + " is cut off";
            return false;
        }
        const std::uint64_t row = Get64(payload.data() + at);
        const std::uint64_t length = GetLE(payload.data() + at + 8, 4);
        at += kHead;
        if (length > payload.size() - at) {
            problem = "read error " + std::to_string(r + 1) + " runs past its section";
            return false;
        }
        if (row >= store.Size() || (r > 0 && row <= previous) ||
            store.Sum(row).state != EntryStore::SumState::Unreadable) {
            problem = "read error " + std::to_string(r + 1) + " names row " + std::to_string(row) +
                      ", not a later unreadable entry";
            return false;
        }
        previous = row;
        store.SetUnreadable(row, std::string(payload.substr(at, length)));
        at += length;
    }
    if (at != payload.size()) {
        problem = "the read errors are followed by bytes they do not account for";
        return false;
    }
    return true;
}

}  // namespace cdi::block
