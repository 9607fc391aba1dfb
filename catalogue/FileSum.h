#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "catalogue/EntryStore.h"

struct XXH3_state_s;

namespace catalogue {

// Hashes a file's bytes, fed as they are read, into the checksum the catalogue keeps: XXH3-128, seed 0.
class SumHasher {
public:
    SumHasher();
    ~SumHasher();
    SumHasher(const SumHasher&) = delete;
    SumHasher& operator=(const SumHasher&) = delete;

    void Reset();
    void Update(const char* data, std::size_t size);
    // The checksum of the bytes fed since the last Reset, Known.
    EntryStore::FileSum Digest() const;

private:
    XXH3_state_s* m_state;
};

// The checksum of `bytes` at once, as SumHasher gives it.
EntryStore::FileSum SumOf(std::string_view bytes);
// 32 lowercase hex digits, as xxhsum -H2 prints them; empty unless the state is Known.
std::string SumText(const EntryStore::FileSum& sum);

}  // namespace catalogue
