#include "catalogue/BulkMemory.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace bulk {

#if defined(__linux__)

void* Allocate(std::size_t bytes) {
    if (bytes < kHugeBlock) return ::operator new(bytes);
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    // Only a hint: where transparent huge pages are off the block still works with small pages.
    ::madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

void Free(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) return;
    if (bytes < kHugeBlock) {
        ::operator delete(block);
    } else {
        ::munmap(block, bytes);
    }
}

#if defined(MADV_POPULATE_WRITE)
bool CanTakePages() {
    // Kernels before 5.14 do not know the advice and refuse it; asking for no bytes tells which.
    static const bool known = ::madvise(nullptr, 0, MADV_POPULATE_WRITE) == 0;
    return known;
}

bool TakePages(void* at, std::size_t bytes) noexcept {
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = reinterpret_cast<std::uintptr_t>(at) & ~(page - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(at) + bytes;
    return ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) == 0;
}
#else
bool CanTakePages() {
    return false;
}

bool TakePages(void*, std::size_t) noexcept {
    return false;
}
#endif

void GiveBackPages(void* at, std::size_t bytes) noexcept {
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(at) + page - 1) & ~(page - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(at) + bytes) & ~(page - 1);
    if (from < to) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}

#else

void* Allocate(std::size_t bytes) {
    return ::operator new(bytes);
}

void Free(void* block, std::size_t) noexcept {
    ::operator delete(block);
}

bool CanTakePages() {
    return false;
}

bool TakePages(void*, std::size_t) noexcept {
    return false;
}

void GiveBackPages(void*, std::size_t) noexcept {}

#endif

}  // namespace bulk
