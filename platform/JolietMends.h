#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

// Where a disc image's Joliet names hold a UTF-16 unit that no text can carry (a surrogate without its
// partner), and the bytes that put U+FFFD in its place. libarchive converts a whole path at once and gives
// no name at all when one unit fails, which would drop the file; with these bytes mended as it reads them,
// every name converts and only the unreadable units are lost.
struct JolietMends {
    std::vector<std::pair<std::uint64_t, char>> bytes;  // (offset in the image, new byte), by offset
    std::size_t names = 0;                              // the names that hold such a unit

    // Reads the Joliet directory tree of the image open as `fd` (without moving its offset). No mends when
    // the image has no Joliet tree or it cannot be read: libarchive then reports what is wrong.
    static JolietMends Find(int fd);
};

}  // namespace platform
