// The helper that takes pages ahead of a filler must never change what the filler writes, and must never
// run more than its distance ahead: the memory a large open holds stays the memory its entries need.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "catalogue/BulkMemory.h"
#include "catalogue/BulkPrefaulter.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

constexpr std::size_t kRegion = std::size_t{64} << 20;

std::uint8_t Pattern(std::size_t region, std::size_t at) {
    return static_cast<std::uint8_t>(at * 131 + (at >> 12) + region * 7 + 1);
}

// Bytes of `bytes` at `begin` whose pages are in memory; -1 where the system cannot tell.
long long ResidentBytes(const char* begin, std::size_t bytes) {
#if defined(__linux__)
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> in((bytes + page - 1) / page);
    if (::mincore(const_cast<char*>(begin), bytes, in.data()) != 0) return -1;
    long long resident = 0;
    for (const unsigned char flag : in) resident += (flag & 1) ? static_cast<long long>(page) : 0;
    return resident;
#else
    (void)begin;
    (void)bytes;
    return -1;
#endif
}

struct Block {
    char* begin = static_cast<char*>(bulk::Allocate(kRegion));
    ~Block() { bulk::Free(begin, kRegion); }
};

}  // namespace

TEST(BulkPrefaulter, WhatTheFillerWritesStaysAsWrittenWhileTheHelperTakesPages) {
    Block blocks[2];
    BulkPrefaulter prefaulter({{blocks[0].begin, kRegion}, {blocks[1].begin, kRegion}});
    // Two regions filled at different speeds, in small steps, as rows and names are.
    std::size_t filled[2] = {0, 0};
    while (filled[0] < kRegion || filled[1] < kRegion) {
        for (std::size_t r = 0; r < 2; ++r) {
            const std::size_t step = std::min<std::size_t>(r ? 3001 : 17000, kRegion - filled[r]);
            for (std::size_t at = filled[r]; at < filled[r] + step; ++at) {
                blocks[r].begin[at] = static_cast<char>(Pattern(r, at));
            }
            filled[r] += step;
            prefaulter.Filled(r, filled[r]);
        }
    }
    prefaulter.Stop();
    for (std::size_t r = 0; r < 2; ++r) {
        std::size_t at = 0;
        while (at < kRegion && static_cast<std::uint8_t>(blocks[r].begin[at]) == Pattern(r, at)) ++at;
        EXPECT_EQ(at, kRegion) << "region " << r << " changed at byte " << at;
    }
}

TEST(BulkPrefaulter, NeverTakesMoreThanItsDistanceAheadAndGivesBackOnRequest) {
    Block block;
    constexpr std::size_t kFilled = std::size_t{8} << 20;
    BulkPrefaulter prefaulter({{block.begin, kRegion}});
    for (std::size_t at = 0; at < kFilled; at += 4096) block.begin[at] = 1;
    prefaulter.Filled(0, kFilled);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // time to run as far ahead as it may
    prefaulter.Stop();
    const std::size_t limit = kFilled + BulkPrefaulter::kAhead;
    EXPECT_LE(prefaulter.Taken(0), limit);
    const long long beyond = ResidentBytes(block.begin + limit, kRegion - limit);
    if (beyond < 0) GTEST_SKIP() << "this system cannot tell which pages are in memory";
    EXPECT_EQ(beyond, 0) << "pages were taken further ahead than kAhead";
    if (bulk::CanTakePages() && prefaulter.Taken(0) > kFilled) {
        // Whatever the helper managed in the time it had is in memory now, and goes when given back.
        const std::size_t taken = prefaulter.Taken(0);
        EXPECT_EQ(ResidentBytes(block.begin, taken), static_cast<long long>(taken));
        bulk::GiveBackPages(block.begin + kFilled, taken - kFilled);
        EXPECT_EQ(ResidentBytes(block.begin + kFilled, taken - kFilled), 0);
        EXPECT_EQ(block.begin[0], 1) << "the filled part is kept";
    }
}
