#include "platform/JolietMends.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string_view>

namespace platform {

namespace {

constexpr std::uint64_t kSector = 2048;
// Bounds against a damaged image: volume descriptors looked at, and bytes of one folder read.
constexpr int kMostDescriptors = 64;
constexpr std::uint32_t kMostFolderBytes = 64 * 1024 * 1024;

std::uint32_t Le32(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

bool ReadAt(int fd, std::uint64_t offset, void* out, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(out);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got <= 0) return false;
        bytes += got;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

struct Extent {
    std::uint32_t block;
    std::uint32_t bytes;
};

// The root folder of the Joliet tree: the supplementary volume descriptor with a UCS-2 escape sequence.
bool JolietRoot(int fd, Extent& root) {
    unsigned char descriptor[kSector];
    for (int i = 0; i < kMostDescriptors; ++i) {
        if (!ReadAt(fd, (16 + i) * kSector, descriptor, sizeof descriptor)) return false;
        if (std::memcmp(descriptor + 1, "CD001", 5) != 0 || descriptor[0] == 255) return false;
        const bool ucs2 = descriptor[88] == '%' && descriptor[89] == '/' &&
                          (descriptor[90] == '@' || descriptor[90] == 'C' || descriptor[90] == 'E');
        if (descriptor[0] == 2 && ucs2) {
            root = {Le32(descriptor + 156 + 2), Le32(descriptor + 156 + 10)};
            return true;
        }
    }
    return false;
}

bool IsHigh(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

JolietMends JolietMends::Find(int fd) {
    JolietMends mends;
    Extent root{};
    if (!JolietRoot(fd, root)) return mends;
    std::vector<Extent> folders = {root};
    std::set<std::uint32_t> seen = {root.block};
    std::vector<unsigned char> folder;
    while (!folders.empty()) {
        const Extent extent = folders.back();
        folders.pop_back();
        folder.resize(std::min(extent.bytes, kMostFolderBytes));
        const std::uint64_t start = extent.block * kSector;
        if (!ReadAt(fd, start, folder.data(), folder.size())) continue;
        for (std::size_t at = 0; at + 34 <= folder.size();) {
            const std::size_t length = folder[at];
            // Records do not cross sectors: a zero length pads to the next one.
            if (length == 0) {
                at = (at / kSector + 1) * kSector;
                continue;
            }
            if (length < 34 || at + length > folder.size()) break;
            const unsigned char* record = &folder[at];
            const std::size_t nameBytes = std::min<std::size_t>(record[32], length - 33) & ~std::size_t{1};
            const bool dots = record[32] == 1 && record[33] <= 1;
            bool mended = false;
            for (std::size_t k = 0; !dots && k + 1 < nameBytes; k += 2) {
                const unsigned unit = unsigned{record[33 + k]} << 8 | record[34 + k];
                const unsigned next = k + 3 < nameBytes ? unsigned{record[35 + k]} << 8 | record[36 + k] : 0;
                if (IsHigh(unit) && IsLow(next)) {
                    k += 2;
                    continue;
                }
                if (!IsHigh(unit) && !IsLow(unit)) continue;
                const std::uint64_t offset = start + at + 33 + k;
                mends.bytes.emplace_back(offset, static_cast<char>(0xFF));
                mends.bytes.emplace_back(offset + 1, static_cast<char>(0xFD));
                mended = true;
            }
            if (mended) ++mends.names;
            const bool isFolder = (record[25] & 0x02) != 0;
            const Extent child{Le32(record + 2), Le32(record + 10)};
            if (isFolder && !dots && seen.insert(child.block).second) folders.push_back(child);
            at += length;
        }
    }
    std::sort(mends.bytes.begin(), mends.bytes.end());
    return mends;
}

}  // namespace platform
