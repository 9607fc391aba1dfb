// libFuzzer target for the ".cdi" reader: whatever the bytes, reading must either fail cleanly (empty
// store, an error text) or give a catalogue that writes back and reads again to the very same texts, times
// and disc records; and reading the bytes in small chunks, as files are read, must give the same outcome as
// reading them whole. The extension block after the entries is read too, and a block that is left out
// leaves no times behind.
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
            a.Path(i) != b.Path(i) || a.SizeText(i) != b.SizeText(i) || a.Modified(i) != b.Modified(i)) {
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
    cdi::Extension extension;
    const bool read = cdi::Read(bytes, first, error, &extension);
    if (!extension.problem.empty() && (first.HasDates() || !extension.discs.Empty())) std::abort();

    std::size_t at = 0;
    const cdi::ChunkSource source = [&](char* into, std::size_t capacity, std::string&) -> std::int64_t {
        const std::size_t n = std::min(capacity, size - at);
        std::copy_n(bytes.data() + at, n, into);
        at += n;
        return static_cast<std::int64_t>(n);
    };
    EntryStore chunked;
    std::string chunkedError;
    cdi::Extension chunkedExtension;
    const std::size_t chunk = size ? 1 + data[0] % 16 : 1;
    if (cdi::ReadChunks(size, source, chunked, chunkedError, chunk, &chunkedExtension) != read ||
        chunkedError != error || !SameTexts(first, chunked) ||
        chunkedExtension.problem != extension.problem ||
        chunkedExtension.discs.All() != extension.discs.All()) {
        std::abort();
    }

    if (!read) {
        if (first.Size() != 0 || error.empty()) std::abort();
        return 0;
    }
    std::string written;
    cdi::Write(first, written, &extension.discs);
    EntryStore second;
    cdi::Extension again;
    if (!cdi::Read(written, second, error, &again) || !SameTexts(first, second) || !again.problem.empty() ||
        again.discs.All() != extension.discs.All())
        std::abort();
    // What this program writes it must write again unchanged.
    std::string rewritten;
    cdi::Write(second, rewritten, &again.discs);
    if (rewritten != written) std::abort();
    return 0;
}
