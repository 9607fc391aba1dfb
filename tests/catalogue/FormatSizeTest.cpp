#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "catalogue/FormatSize.h"

TEST(FormatSize, GroupsDigitsByThreeWithCommas) {
    EXPECT_EQ(catalogue::FormatSize(0), "0");
    EXPECT_EQ(catalogue::FormatSize(7), "7");
    EXPECT_EQ(catalogue::FormatSize(12), "12");
    EXPECT_EQ(catalogue::FormatSize(100), "100");
    EXPECT_EQ(catalogue::FormatSize(999), "999");
    EXPECT_EQ(catalogue::FormatSize(1000), "1,000");
    EXPECT_EQ(catalogue::FormatSize(12345), "12,345");
    EXPECT_EQ(catalogue::FormatSize(100000), "100,000");
    EXPECT_EQ(catalogue::FormatSize(999999), "999,999");
    EXPECT_EQ(catalogue::FormatSize(1234567), "1,234,567");
}

TEST(FormatSize, SizesOfFourGigabytesAndMoreKeepEveryDigit) {
    EXPECT_EQ(catalogue::FormatSize(4294967295u), "4,294,967,295");
    EXPECT_EQ(catalogue::FormatSize(std::uint64_t{1} << 32), "4,294,967,296");
    EXPECT_EQ(catalogue::FormatSize(std::numeric_limits<std::uint64_t>::max()), "18,446,744,073,709,551,615");
}
