#include "catalogue/BulkMemory.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
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

#else

void* Allocate(std::size_t bytes) {
    return ::operator new(bytes);
}

void Free(void* block, std::size_t) noexcept {
    ::operator delete(block);
}

#endif

}  // namespace bulk
