#pragma once

#include <cstddef>

#include "catalogue/BulkMemory.h"

// A standard allocator over bulk memory, for the vectors that hold a row per catalogue entry.
template <typename T>
class BulkAllocator {
public:
    using value_type = T;

    BulkAllocator() = default;
    template <typename U>
    BulkAllocator(const BulkAllocator<U>&) {}

    // Room for `n` values, uninitialised.
    T* allocate(std::size_t n) { return static_cast<T*>(bulk::Allocate(n * sizeof(T))); }
    // Gives back room from allocate(n).
    void deallocate(T* p, std::size_t n) noexcept { bulk::Free(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const BulkAllocator<U>&) const {
        return true;
    }
};
