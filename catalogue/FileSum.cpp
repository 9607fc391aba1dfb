#include "catalogue/FileSum.h"

#include <xxhash.h>
// On x86-64 the library picks the widest vector instructions the processor has (AVX2, AVX-512) at run
// time: the plain entry points are built for the oldest processors, and hashing then costs as much as
// reading the bytes. This header puts the choosing entry points in place of the plain ones.
#if defined(__x86_64__)
#include <xxh_x86dispatch.h>
#endif

#include <cstring>
#include <new>

namespace catalogue {

SumHasher::SumHasher() : m_state(XXH3_createState()) {
    if (!m_state) throw std::bad_alloc();
    Reset();
}

SumHasher::~SumHasher() {
    XXH3_freeState(m_state);
}

void SumHasher::Reset() {
    XXH3_128bits_reset(m_state);
}

void SumHasher::Update(const char* data, std::size_t size) {
    XXH3_128bits_update(m_state, data, size);
}

namespace {
EntryStore::FileSum Canonical(XXH128_hash_t hash) {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, hash);
    EntryStore::FileSum sum;
    sum.state = EntryStore::SumState::Known;
    std::memcpy(sum.digest.data(), canonical.digest, sum.digest.size());
    return sum;
}
}  // namespace

EntryStore::FileSum SumHasher::Digest() const {
    return Canonical(XXH3_128bits_digest(m_state));
}

EntryStore::FileSum SumOf(std::string_view bytes) {
    return Canonical(XXH3_128bits(bytes.data(), bytes.size()));
}

std::string SumText(const EntryStore::FileSum& sum) {
    if (sum.state != EntryStore::SumState::Known) return {};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : sum.digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
    }
    return text;
}

}  // namespace catalogue
