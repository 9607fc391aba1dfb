#pragma once

#include <cstddef>

#include "platform/Tuning.h"

// Memory for the large arrays of a catalogue (millions of rows, megabytes of names). Where the system
// offers it, a block of 2 MiB or more is backed by huge pages: filling it then costs one page fault per
// 2 MiB instead of one per 4 KiB, which is most of the time a large catalogue takes to open.
namespace bulk {

// Bytes at and above which a block is asked for huge pages.
inline constexpr std::size_t kHugeBlock = tuning::kHugeBlock;

// A block of `bytes` bytes, uninitialised; throws std::bad_alloc when there is no memory. A block of
// kHugeBlock or more takes its pages from the system only when they are first touched.
void* Allocate(std::size_t bytes);
// Gives back a block from Allocate, with the same `bytes`.
void Free(void* block, std::size_t bytes) noexcept;

}  // namespace bulk
