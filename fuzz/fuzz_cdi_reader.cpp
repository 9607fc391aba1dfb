// libFuzzer target for the ".cdi" reader: whatever the bytes, reading must either fail cleanly (empty
// store, an error text) or give a catalogue that writes back and reads again to the very same texts; and
// reading the bytes in small chunks, as files are read, must give the same outcome as reading them whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "catalogue/CdiFormat.h"
#include "catalogue/EntryStore.h"

namespace {
bool SameTexts(const EntryStore& a, const EntryStore& b) {
    if (a.Size() != b.Size()) return false;
    for (std::size_t i = 0; i < a.Size(); ++i) {
        if (a.Label(i) != b.Label(i) || a.Name(i) != b.Name(i) || a.Kind(i) != b.Kind(i) ||
            a.Path(i) != b.Path(i) || a.SizeText(i) != b.SizeText(i)) {
            return false;
        }
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const char> bytes(reinterpret_cast<const char*>(data), size);
    EntryStore first;
    std::string error;
    const bool read = cdi::Read(bytes, first, error);

    std::size_t at = 0;
    const cdi::ChunkSource source = [&](char* into, std::size_t capacity, std::string&) -> std::int64_t {
        const std::size_t n = std::min(capacity, size - at);
        std::copy_n(bytes.data() + at, n, into);
        at += n;
        return static_cast<std::int64_t>(n);
    };
    EntryStore chunked;
    std::string chunkedError;
    const std::size_t chunk = size ? 1 + data[0] % 16 : 1;
    if (cdi::ReadChunks(size, source, chunked, chunkedError, chunk) != read || chunkedError != error ||
        !SameTexts(first, chunked)) {
        std::abort();
    }

    if (!read) {
        if (first.Size() != 0 || error.empty()) std::abort();
        return 0;
    }
    std::string written;
    cdi::Write(first, written);
    EntryStore second;
    if (!cdi::Read(written, second, error) || !SameTexts(first, second)) std::abort();
    // What this program writes it must write again unchanged.
    std::string rewritten;
    cdi::Write(second, rewritten);
    if (rewritten != written) std::abort();
    return 0;
}
