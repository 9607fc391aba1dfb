#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>

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

TEST(ParseSize, ReadsWhatFormatSizeWritesAndNothingElse) {
    const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
        {"0", 0},
        {"7", 7},
        {"999", 999},
        {"1,000", 1000},
        {"1,234,567", 1234567},
        {"1234567", 1234567},  // plain digits, as other programs may write
        {"18,446,744,073,709,551,615", std::numeric_limits<std::uint64_t>::max()},
        {"18,446,744,073,709,551,616", std::nullopt},  // past 64 bits
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {" 12", std::nullopt},
        {"12 ", std::nullopt},
        {"-12", std::nullopt},
        {"+12", std::nullopt},
        {"1.5", std::nullopt},
        {"12 KB", std::nullopt},
        {"12,34", std::nullopt},
        {"1234,567", std::nullopt},
        {",123", std::nullopt},
        {"1,234,", std::nullopt},
        {"1,,234", std::nullopt},
        {"1,2,3", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(catalogue::ParseSize(text), bytes) << text;
}

TEST(ParseSize, ReadsBackEveryFormattedCount) {
    std::mt19937_64 random(15);
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t bytes = random() >> (random() % 64);
        ASSERT_EQ(catalogue::ParseSize(catalogue::FormatSize(bytes)), bytes) << bytes;
        ASSERT_EQ(catalogue::ParseSize(std::to_string(bytes)), bytes) << bytes;
    }
}
