#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "SlowFold.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FormatSize.h"
#include "search/RowOrder.h"

// search::SortRows against its slow twin: std::stable_sort with the obvious comparator (texts folded by
// SlowFold and compared whole, sizes parsed, unknown cells last) over generated rows from a fixed seed. The
// texts are made to trip the eight-byte prefixes: long shared beginnings, embedded NULs, letters that fold
// to other lengths, bytes that are not UTF-8, empty texts.
namespace {

constexpr unsigned kSeed = 20240522;
constexpr int kRounds = 60;
constexpr std::int64_t kUnknown = EntryStore::kUnknownTime;

std::string RandomText(std::mt19937& random) {
    static const std::vector<std::string> kPieces = {"a",
                                                     "A",
                                                     "b",
                                                     "B",
                                                     "z",
                                                     "0",
                                                     "9",
                                                     " ",
                                                     ".",
                                                     "_",
                                                     std::string(1, '\0'),
                                                     "\xC3\x89",
                                                     "\xC3\xA9",
                                                     "\xE2\x84\xAA",
                                                     "k",
                                                     "\xC4\xB0",
                                                     "i",
                                                     "\xE9",
                                                     "\xFF",
                                                     "\x80",
                                                     "IMG_2019",
                                                     "img_2019",
                                                     "\\DATA\\"};
    std::string text;
    // Half the texts share a long beginning, so their order is decided past the first eight bytes.
    if (random() % 2) text = random() % 2 ? "photos_summer_" : "PHOTOS_SUMMER_";
    const int pieces = static_cast<int>(random() % 5);
    for (int i = 0; i < pieces; ++i) text += kPieces[random() % kPieces.size()];
    return text;
}

std::string RandomSize(std::mt19937& random) {
    const std::uint64_t value = random() % 4 == 0 ? random() % 10 : std::uint64_t{random()} * random();
    switch (random() % 6) {
        case 0:
            return std::to_string(value);
        case 1:
            return "";
        case 2:
            return random() % 2 ? "?" : "1,23";  // no number
        default:
            return catalogue::FormatSize(value);
    }
}

std::int64_t RandomTime(std::mt19937& random) {
    if (random() % 5 == 0) return kUnknown;
    // Few distinct times, so that ties are common; some before 1970.
    return (static_cast<std::int64_t>(random() % 40) - 10) * 86400 * 365;
}

struct Rows {
    std::vector<std::string> texts;
    std::vector<std::int64_t> times;
};

search::ColumnCells CellsOf(const Rows& rows, search::Collation collation) {
    search::ColumnCells cells;
    cells.collation = collation;
    cells.text = [&rows](std::uint32_t row) { return std::string_view(rows.texts[row]); };
    cells.time = [&rows](std::uint32_t row) { return rows.times[row]; };
    return cells;
}

// The obvious order: -1, 0 or 1 for two known cells; unknown ones are handled by the caller.
std::vector<std::uint32_t> SlowSort(const Rows& rows, std::vector<std::uint32_t> order,
                                    search::Collation collation, bool descending) {
    using Key = std::optional<std::string>;  // a folded text, or a number / time written to sort as text
    const auto key = [&](std::uint32_t row) -> Key {
        switch (collation) {
            case search::Collation::kText:
                return SlowFold(rows.texts[row]);
            case search::Collation::kNumber: {
                const auto n = catalogue::ParseSize(rows.texts[row]);
                if (!n) return std::nullopt;
                std::string digits = std::to_string(*n);
                return std::string(20 - digits.size(), '0') + digits;
            }
            case search::Collation::kTime: {
                if (rows.times[row] == kUnknown) return std::nullopt;
                std::string digits = std::to_string(rows.times[row] + 1'000'000'000'000);
                return std::string(20 - digits.size(), '0') + digits;
            }
        }
        return std::nullopt;
    };
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const Key ka = key(a);
        const Key kb = key(b);
        if (!ka || !kb) return ka && !kb;  // unknown last, either way
        return descending ? *kb < *ka : *ka < *kb;
    });
    return order;
}

TEST(RowOrderTest, SortsAsTheObviousStableSortDoes) {
    std::mt19937 random(kSeed);
    for (int round = 0; round < kRounds; ++round) {
        Rows rows;
        const int count = static_cast<int>(random() % 300);
        for (int i = 0; i < count; ++i) {
            rows.texts.push_back(round % 2 ? RandomSize(random) : RandomText(random));
            rows.times.push_back(RandomTime(random));
        }
        // The rows as shown before the click: any order, not only the one they came in.
        std::vector<std::uint32_t> shown(rows.texts.size());
        for (std::uint32_t i = 0; i < shown.size(); ++i) shown[i] = i;
        std::shuffle(shown.begin(), shown.end(), random);
        // Rows that stay where they are (a folder's up row) are not among those sorted.
        if (round % 3 == 0) shown.resize(shown.size() / 2);
        const auto collations = round % 2 ? std::vector{search::Collation::kNumber, search::Collation::kTime}
                                          : std::vector{search::Collation::kText};
        for (const search::Collation collation : collations) {
            for (const bool descending : {false, true}) {
                std::vector<std::uint32_t> fast = shown;
                search::SortRows(fast, CellsOf(rows, collation), descending);
                ASSERT_EQ(fast, SlowSort(rows, shown, collation, descending))
                    << "round " << round << ", collation " << static_cast<int>(collation) << ", descending "
                    << descending;
            }
        }
    }
}

}  // namespace
