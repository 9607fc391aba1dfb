#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <string>

#include "catalogue/EntryStore.h"
#include "search/HitFilter.h"
#include "search/IsoTime.h"

namespace {

// Every date the system calendar writes is read back by the round trip below; these are the other forms.
TEST(IsoTime, ReadsTimesWithAnOffsetAndRefusesWhatIsNoTime) {
    for (const char* noon :
         {"2019-06-01T12:00Z", "2019-06-01T12:00:00", "2019-06-01T14:00:00+02:00", "2019-06-01T06:30-05:30"})
        EXPECT_EQ(search::ParseIsoTime(noon), 1559390400) << noon;
    EXPECT_EQ(search::ParseIsoTime("2019-06-01"), 1559347200);
    for (const char* bad : {"2019-02-29", "2019-13-01", "2019-06-00", "2019-6-1", "2019-06-01T24:00:00Z",
                            "2019-06-01T12:60Z", "2019-06-01T12:00:00ZZ", "2019-06-01T12:00:00Z+01:00",
                            "2019-06-01T12", "2019-06-01 12:00", "2019-06-01T12:00+0200", "yesterday", ""})
        EXPECT_EQ(search::ParseIsoTime(bad), std::nullopt) << bad;
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
    const std::pair<const char*, std::uint64_t> good[] = {{"1,500", 1500},
                                                          {"10k", 10240},
                                                          {"700M", 700ull << 20},
                                                          {"17179869183G", 17179869183ull << 30},
                                                          {"18446744073709551615", UINT64_MAX}};
    for (const auto& [text, bytes] : good) EXPECT_EQ(search::ParseByteCount(text), bytes) << text;
    for (const char* bad : {"17179869184G", "18446744073709551616", "1.5G", "10KB", "K", "-1", "", " 10"})
        EXPECT_EQ(search::ParseByteCount(bad), std::nullopt) << bad;
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
