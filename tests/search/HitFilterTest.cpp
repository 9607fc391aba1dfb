#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <string>

#include "catalogue/EntryStore.h"
#include "search/HitFilter.h"
#include "search/IsoTime.h"

namespace {

TEST(IsoTime, ReadsDatesAndTimesInUtcOrWithAnOffset) {
    const struct {
        const char* text;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"1970-01-01", 0},
        {"2019-06-01", 1559347200},
        {"2019-06-01T12:00:00Z", 1559390400},
        {"2019-06-01T12:00Z", 1559390400},
        {"2019-06-01T12:00:00", 1559390400},
        {"2019-06-01T14:00:00+02:00", 1559390400},
        {"2019-06-01T06:30-05:30", 1559390400},
        {"1969-12-31T23:59:59Z", -1},
        {"2000-02-29", 951782400},
        {"0000-01-01", -62167219200},
        {"2019-02-29", std::nullopt},
        {"2019-13-01", std::nullopt},
        {"2019-06-00", std::nullopt},
        {"2019-6-1", std::nullopt},
        {"2019-06-01T24:00:00Z", std::nullopt},
        {"2019-06-01T12:60Z", std::nullopt},
        {"2019-06-01T12:00:00ZZ", std::nullopt},
        {"2019-06-01T12:00:00Z+01:00", std::nullopt},
        {"2019-06-01T12", std::nullopt},
        {"2019-06-01 12:00", std::nullopt},
        {"2019-06-01T12:00+0200", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(search::ParseIsoTime(c.text), c.seconds) << c.text;
}

TEST(IsoTime, WritesEveryTimeAsTheSystemCalendarDoesAndReadsItBack) {
    std::mt19937_64 random(20190601);
    // Years 0000 to 9999, and the edges of days, months and leap years around the epoch.
    std::uniform_int_distribution<std::int64_t> anyTime(-62167219200, 253402300799);
    std::uniform_int_distribution<std::int64_t> nearEpoch(-86400 * 800, 86400 * 800);
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t seconds = i % 2 ? anyTime(random) : nearEpoch(random);
        const std::time_t time = seconds;
        std::tm parts{};
        ASSERT_NE(gmtime_r(&time, &parts), nullptr);
        char expected[80];
        std::snprintf(expected, sizeof expected, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900,
                      parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
        ASSERT_EQ(search::IsoTime(seconds), expected) << seconds;
        ASSERT_EQ(search::ParseIsoTime(expected), seconds) << expected;
    }
    // Values no walk gives still come out as some time, never as garbage.
    EXPECT_EQ(search::IsoTime(EntryStore::kUnknownTime), "");
    EXPECT_EQ(search::IsoTime(253402300800), "+10000-01-01T00:00:00Z");
    EXPECT_EQ(search::IsoTime(-62167219201), "-0001-12-31T23:59:59Z");
    EXPECT_EQ(search::IsoTime(INT64_MAX).front(), '+');
    EXPECT_EQ(search::IsoTime(INT64_MIN + 1).front(), '-');
}

TEST(ByteCount, TakesDigitsOrGroupsWithKMOrG) {
    const struct {
        const char* text;
        std::optional<std::uint64_t> bytes;
    } cases[] = {
        {"0", 0},
        {"1500", 1500},
        {"1,500", 1500},
        {"10K", 10240},
        {"10k", 10240},
        {"700M", 700ull << 20},
        {"4G", 4ull << 30},
        {"17179869183G", 17179869183ull << 30},
        {"17179869184G", std::nullopt},
        {"18446744073709551615", UINT64_MAX},
        {"18446744073709551616", std::nullopt},
        {"1.5G", std::nullopt},
        {"10KB", std::nullopt},
        {"K", std::nullopt},
        {"-1", std::nullopt},
        {"", std::nullopt},
        {" 10", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(search::ParseByteCount(c.text), c.bytes) << c.text;
}

// The filter against the limits read straight off the texts: labels compared as bytes, sizes with their
// commas dropped (every grouped size below is grouped right), folders known by their kind.
bool SlowPasses(const EntryStore& entries, std::size_t row, const search::HitLimits& limits) {
    if (limits.disc && entries.Label(row) != *limits.disc) return false;
    if (limits.minSize || limits.maxSize) {
        if (entries.Kind(row) == "folder ") return false;
        std::string digits;
        for (const char c : entries.SizeText(row)) {
            if (c != ',') digits.push_back(c);
        }
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
        const std::uint64_t size = std::stoull(digits);
        if ((limits.minSize && size < *limits.minSize) || (limits.maxSize && size > *limits.maxSize))
            return false;
    }
    const std::int64_t time = entries.Modified(row);
    if (limits.newer && !(time != EntryStore::kUnknownTime && time >= *limits.newer)) return false;
    if (limits.older && !(time != EntryStore::kUnknownTime && time < *limits.older)) return false;
    return true;
}

TEST(HitFilter, KeepsWhatTheLimitsReadOffTheTextsKeep) {
    std::mt19937 random(1234);
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char* labels[] = {"A", "B", "a", "A ", "folder "};
    const char* kinds[] = {"file ", "folder ", "File"};
    const char* sizes[] = {"0", "1", "999", "1,000", "1,024", "2048", "", "12 KB", "4,294,967,296"};
    const std::int64_t times[] = {EntryStore::kUnknownTime, -86400, 0, 1559347199, 1559347200, 1559390400};
    for (int round = 0; round < 200; ++round) {
        EntryStore entries;
        for (int i = 0; i < 40; ++i) {
            entries.Append(labels[below(5)], "n", kinds[below(3)], "\\", sizes[below(9)]);
            if (below(3)) entries.SetModified(entries.Size() - 1, times[below(6)]);
        }
        search::HitLimits limits;
        const std::uint64_t bounds[] = {0, 1, 1000, 1024, 4294967296};
        if (below(2)) limits.minSize = bounds[below(5)];
        if (below(2)) limits.maxSize = bounds[below(5)];
        if (below(2)) limits.newer = times[1 + below(5)];
        if (below(2)) limits.older = times[1 + below(5)];
        if (below(2)) limits.disc = labels[below(5)];
        const search::HitFilter filter(entries, limits);
        for (std::size_t row = 0; row < entries.Size(); ++row)
            ASSERT_EQ(filter.Passes(row), SlowPasses(entries, row, limits))
                << "round " << round << " row " << row;
    }
}

}  // namespace
