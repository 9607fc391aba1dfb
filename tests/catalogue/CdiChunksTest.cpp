// The chunked reader against the whole-buffer reader: the same bytes must give the same entries, or the
// same error at the same byte, whatever the chunk size and however short the reads the file gives.
// Read whole, nearly every entry is taken straight from the buffer; read a byte at a time, no entry is
// ever wholly in the buffer, so every one goes the general way that reads every form: the two are twins.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>

#include "CdiBytes.h"
#include "catalogue/CCDContent.h"
#include "catalogue/CdiFormat.h"
#include "catalogue/EntryStore.h"

using namespace cdibytes;

namespace {

struct Outcome {
    bool ok = false;
    std::string error;
    EntryStore store;
};

Outcome Whole(const std::string& bytes) {
    Outcome out;
    out.ok = cdi::Read(std::span<const char>(bytes.data(), bytes.size()), out.store, out.error);
    return out;
}

// Reads through ReadChunks; a source that gives `shortBy` bytes fewer than asked (at least one) stands for
// a file that the system hands over in pieces.
Outcome Chunked(const std::string& bytes, std::size_t chunk, std::size_t shortBy = 0) {
    Outcome out;
    std::size_t at = 0;
    const cdi::ChunkSource source = [&](char* into, std::size_t capacity, std::string&) -> std::int64_t {
        EXPECT_GT(capacity, 0u);
        std::size_t n = std::min(capacity, bytes.size() - at);
        if (n > 1 && shortBy) n = std::max<std::size_t>(1, n - std::min(n - 1, shortBy));
        std::copy_n(bytes.data() + at, n, into);
        at += n;
        return static_cast<std::int64_t>(n);
    };
    out.ok = cdi::ReadChunks(bytes.size(), source, out.store, out.error, chunk);
    return out;
}

void ExpectSame(const Outcome& expected, const Outcome& got, const std::string& what) {
    ASSERT_EQ(got.ok, expected.ok) << what << ": " << got.error << " / " << expected.error;
    EXPECT_EQ(got.error, expected.error) << what;
    ASSERT_EQ(got.store.Size(), expected.store.Size()) << what;
    for (std::size_t i = 0; i < expected.store.Size(); ++i) {
        ASSERT_TRUE(
            got.store.Label(i) == expected.store.Label(i) && got.store.Name(i) == expected.store.Name(i) &&
            got.store.Kind(i) == expected.store.Kind(i) && got.store.Path(i) == expected.store.Path(i) &&
            got.store.SizeText(i) == expected.store.SizeText(i))
            << what << ", entry " << i;
    }
}

// A text that exercises every length form and both encodings: mostly short ASCII, sometimes UTF-8
// beyond ASCII (written as UTF-16), Windows-1252 bytes, a 255..0xFFFD or 0xFFFE+ byte length.
std::string RandomText(std::mt19937& random) {
    const unsigned pick = random() % 100;
    std::size_t length = random() % 12;
    if (pick == 0) length = 255 + random() % 300;
    if (pick == 1 && random() % 20 == 0) length = 0xFFFE + random() % 3;
    std::string text;
    while (text.size() < length) {
        const unsigned c = random() % 40;
        if (pick < 10 && c == 0) {
            text += "\xC3\xA9";  // é
        } else if (pick < 10 && c == 1) {
            text += "\xF0\x9F\x92\xBF";  // a surrogate pair in UTF-16
        } else if (pick >= 10 && pick < 13 && c == 2) {
            text += '\xE9';  // Windows-1252 é: not UTF-8, stored as it is
        } else {
            text += static_cast<char>('a' + c % 26);
        }
    }
    return text;
}

std::string RandomCatalogue(std::mt19937& random) {
    EntryStore store;
    const std::size_t entries = random() % 40;
    for (std::size_t i = 0; i < entries; ++i) {
        if (random() % 10 == 0) {
            store.Append("", "", "", "", "");
        } else {
            store.Append(RandomText(random), RandomText(random), RandomText(random), RandomText(random),
                         RandomText(random));
        }
    }
    std::string bytes;
    cdi::Write(store, bytes);
    return bytes;
}

}  // namespace

TEST(CdiChunks, GeneratedCataloguesReadTheSameAtEveryChunkSize) {
    std::mt19937 random(4711);
    for (int round = 0; round < 150; ++round) {
        const std::string bytes = RandomCatalogue(random);
        const Outcome expected = Whole(bytes);
        ASSERT_TRUE(expected.ok) << expected.error;
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                        std::size_t{16}, std::size_t{61}, std::size_t{256}, bytes.size()}) {
            ExpectSame(expected, Chunked(bytes, chunk),
                       "round " + std::to_string(round) + ", chunk " + std::to_string(chunk));
        }
        ExpectSame(expected, Chunked(bytes, 64, 17), "round " + std::to_string(round) + ", short reads");
    }
}

TEST(CdiChunks, EveryChunkEdgeInsideATextOrATagGivesTheSameEntries) {
    // Long and UTF-16 texts of each length form, so that some chunk edge falls in every prefix byte.
    EntryStore store;
    store.Append("A", std::string(254, 'n'), kKindFile, "\\", "1");
    store.Append("A", std::string(255, 'n'), kKindFolder, "\\x\\", "0");
    store.Append("B", "\xC3\xA9t\xC3\xA9", kKindFile, std::string(0xFFFE, 'p'), "1,024");
    store.Append("", "", "", "", "");
    store.Append("C", std::string(300, 'x') + "\xF0\x9F\x92\xBF", "odd", "\\", "");
    std::string bytes;
    cdi::Write(store, bytes);
    const Outcome expected = Whole(bytes);
    ASSERT_TRUE(expected.ok) << expected.error;
    for (std::size_t chunk = 1; chunk <= 600; chunk += (chunk < 40 ? 1 : 37)) {
        ExpectSame(expected, Chunked(bytes, chunk), "chunk " + std::to_string(chunk));
    }
}

TEST(CdiChunks, DamagedCataloguesFailAlikeAtTheSameByte) {
    std::mt19937 random(1213);
    int failures = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bytes = RandomCatalogue(random);
        if (bytes.size() <= 2) continue;
        switch (random() % 3) {
            case 0:  // cut short
                bytes.resize(random() % bytes.size());
                break;
            case 1:  // one byte changed, often a length or a tag
                bytes[random() % bytes.size()] = static_cast<char>(random());
                break;
            default:  // a count of more entries than there are
                bytes[0] = static_cast<char>(bytes[0] + 1 + random() % 3);
        }
        const Outcome expected = Whole(bytes);
        failures += !expected.ok;
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{5}, std::size_t{64}}) {
            ExpectSame(expected, Chunked(bytes, chunk), "round " + std::to_string(round));
        }
    }
    EXPECT_GT(failures, 200) << "the damage should mostly be found";
}

TEST(CdiChunks, AFileShorterThanItsSizeOrUnreadableFailsWithTheReason) {
    const std::string whole = Count(1) + Entry(true, {"A", "X.TXT", "file ", "\\", "5"});
    EntryStore store;
    std::string error;
    std::size_t given = 0;
    const cdi::ChunkSource shrunk = [&](char* into, std::size_t capacity, std::string&) -> std::int64_t {
        const std::size_t n = std::min(capacity, std::size_t{20} - given);
        std::copy_n(whole.data() + given, n, into);
        given += n;
        return static_cast<std::int64_t>(n);
    };
    EXPECT_FALSE(cdi::ReadChunks(whole.size(), shrunk, store, error, 8));
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_NE(error.find("cut short"), std::string::npos) << error;

    const cdi::ChunkSource broken = [](char*, std::size_t, std::string& reason) -> std::int64_t {
        reason = "Input/output error";
        return -1;
    };
    EXPECT_FALSE(cdi::ReadChunks(whole.size(), broken, store, error));
    EXPECT_EQ(error, "reading stopped: Input/output error (at byte 0)");
}

TEST(CdiChunks, HostileLengthsAreRefusedBeforeAnyBufferGrows) {
    // A text of 4 GiB announced in a 30-byte file: refused from the file's size, never read or reserved.
    const std::string bytes = Count(1) + kClassHeader + std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7);
    std::size_t largestAsk = 0;
    std::size_t at = 0;
    const cdi::ChunkSource source = [&](char* into, std::size_t capacity, std::string&) -> std::int64_t {
        largestAsk = std::max(largestAsk, capacity);
        const std::size_t n = std::min(capacity, bytes.size() - at);
        std::copy_n(bytes.data() + at, n, into);
        at += n;
        return static_cast<std::int64_t>(n);
    };
    EntryStore store;
    std::string error;
    EXPECT_FALSE(cdi::ReadChunks(bytes.size(), source, store, error, 16));
    EXPECT_NE(error.find("larger than the rest of the file"), std::string::npos) << error;
    EXPECT_LE(largestAsk, 16u);
}

TEST(CdiChunks, ALargeFileReadWithPagesTakenAheadGivesWhatWasWritten) {
    // Large enough (over 64 MiB) that the reader takes memory on a helper thread; long names get there
    // with few entries. Read whole, in chunks, and against the store it was written from.
    std::mt19937 random(99);
    EntryStore written;
    for (int i = 0; i < 260000; ++i) {
        std::string name(200 + random() % 100, static_cast<char>('a' + i % 26));
        name += std::to_string(i);
        written.Append("Disc " + std::to_string(i / 9000), name, i % 7 ? "file " : "folder ",
                       "\\f" + std::to_string(i / 30) + "\\", std::to_string(random() % 100000));
    }
    written.Append("Disc x", "\xC3\xA9t\xC3\xA9", "file ", "\\", "1");  // UTF-16 on the way
    std::string bytes;
    cdi::Write(written, bytes);
    ASSERT_GT(bytes.size(), std::size_t{64} << 20);
    Outcome expected;
    expected.ok = true;
    for (std::size_t i = 0; i < written.Size(); ++i) {
        expected.store.Append(written.Label(i), written.Name(i), written.Kind(i), written.Path(i),
                              written.SizeText(i));
    }
    ExpectSame(expected, Whole(bytes), "whole");
    ExpectSame(expected, Chunked(bytes, cdi::kReadChunk), "chunked");
}
