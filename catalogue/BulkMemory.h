#pragma once

#include <cstddef>

// Memory for the large arrays of a catalogue (millions of rows, megabytes of names). Where the system
// offers it, a block of 2 MiB or more is backed by huge pages: filling it then costs one page fault per
// 2 MiB instead of one per 4 KiB, which is most of the time a large catalogue takes to open.
namespace bulk {

// Bytes at and above which a block is asked for huge pages.
inline constexpr std::size_t kHugeBlock = std::size_t{2} << 20;

// A block of `bytes` bytes, uninitialised; throws std::bad_alloc when there is no memory.
void* Allocate(std::size_t bytes);
// Gives back a block from Allocate, with the same `bytes`.
void Free(void* block, std::size_t bytes) noexcept;

}  // namespace bulk
