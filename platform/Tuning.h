#pragma once

#include <cstddef>

// The numbers that trade speed against memory, in one place, each with the reason for its value. Changing
// one changes no behaviour a person can see, only how fast it comes or how much memory it takes; the
// benchmarks in bench/ are how a new value is judged.
namespace tuning {

// Blocks of memory from this size up are asked for huge pages (the x86-64 and arm64 size): filling one then
// costs one page fault per 2 MiB instead of one per 4 KiB, most of the time a large catalogue takes to open.
inline constexpr std::size_t kHugeBlock = std::size_t{2} << 20;

// Name storage starts small, so a tiny catalogue costs little, and doubles up to one huge page per block.
inline constexpr std::size_t kFirstTextBlock = 4 * 1024;
inline constexpr std::size_t kLargestTextBlock = kHugeBlock;

// A save gathers this much of the file before each write: few enough system calls that writing costs what
// `cp` does, little enough memory beside the catalogue.
inline constexpr std::size_t kSaveChunk = std::size_t{1} << 20;

// libarchive keeps up to this much of an image in memory and seeks past the rest: file data is skipped,
// never read, once it lies beyond the directory records that were read ahead.
inline constexpr std::size_t kImageReadBlock = 64 * 1024;

// Images whose listings are kept after reading, so that browsing back and forth among a few reads each
// once; each costs about what its entries cost in a catalogue.
inline constexpr std::size_t kImagesKept = 4;

// Folder indexes kept for the discs last browsed: a person browses a handful of discs at a time, and past
// this many browsing disc after disc of a huge catalogue must not hold an index of every one.
inline constexpr std::size_t kFolderIndexesKept = 16;

// When names are read in an order that jumps all over the catalogue, the one this many places ahead is
// asked for, so that memory fetches it meanwhile (about one memory latency of work per name).
inline constexpr std::ptrdiff_t kPrefetchAhead = 8;

// Files are read for their checksums in buffers of this size, one a lane, each hashed where it was read: few
// system calls, and the bytes are still in the processor's cache when they are hashed.
inline constexpr std::size_t kHashBuffer = std::size_t{128} << 10;

// An image is read ahead for its checksums in this many blocks of this size: one handed out, two being read,
// one waiting, two megabytes in all, which the processor's cache holds. Blocks of 128 KiB cost an eighth more
// time in hand-overs between the threads.
inline constexpr std::size_t kReadAheadBlock = std::size_t{512} << 10;
inline constexpr std::size_t kReadAheadBlocks = 4;

// A thread waiting for the other's next block looks again for this long, yielding the processor between
// looks, before it sleeps: the block is usually that close, and being put to sleep and woken for each would
// cost a trip through the scheduler on both threads. A slow source (a disc in a drive) costs no more than
// this per block.
inline constexpr int kHandOverSpinMicroseconds = 50;

// How often a watch for arriving discs looks at the drives: mapped drives send no notices, so they are looked
// at often enough for a disc to be under way well within 100 ms of its arrival; drives of the machine wake
// the watch through their notices and are looked at once a second besides.
inline constexpr int kMappedDriveLookMs = 50;
inline constexpr int kDriveLookMs = 1000;

// How often the progress window takes the walk's count: ten times a second looks live and costs nothing.
inline constexpr int kProgressPollMs = 100;

}  // namespace tuning
