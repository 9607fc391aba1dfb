// The extension block after the entries: what is written reads back whole, read whole or a few bytes at a
// time; a catalogue without dates or records writes no block; and every way a block can be damaged leaves
// it out, whole, while the entries open as they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <span>
#include <string>

#include "catalogue/CdiBlock.h"
#include "catalogue/CdiFormat.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FileSum.h"

namespace {

struct Read {
    bool ok = false;
    std::string error;
    EntryStore store;
    cdi::Extension extension;
};

Read ReadBytes(const std::string& bytes, std::size_t chunk = 0) {
    Read out;
    if (chunk == 0) {
        out.ok = cdi::Read(std::span<const char>(bytes), out.store, out.error, &out.extension);
        return out;
    }
    std::size_t at = 0;
    const cdi::ChunkSource source = [&](char* into, std::size_t capacity, std::string&) -> std::int64_t {
        const std::size_t n = std::min(capacity, bytes.size() - at);
        std::copy_n(bytes.data() + at, n, into);
        at += n;
        return static_cast<std::int64_t>(n);
    };
    out.ok = cdi::ReadChunks(bytes.size(), source, out.store, out.error, chunk, &out.extension);
    return out;
}

// Three discs, dates on most entries, records for two of the discs.
struct Sample {
    EntryStore store;
    catalogue::DiscRecords discs;
    std::string entryBytes;  // the file as it is without the block
    std::string bytes;       // with it

    Sample() {
        for (int i = 0; i < 300; ++i) {
            store.Append("Disc " + std::to_string(i / 100), "name" + std::to_string(i), "File", "\\", "12");
            if (i % 7) store.SetModified(store.Size() - 1, 1'600'000'000 + i * 3600);
        }
        catalogue::DiscRecord first;
        first.catalogued = 1'700'000'000;
        first.source = "E:\\";
        first.fileSystem = "iso9660";
        first.capacity = 700'000'000;
        first.location = "Box 12, shelf 3";
        first.notes = "line\nnext \xE9t\xE9";
        discs.Set(0, first);
        catalogue::DiscRecord third;
        third.serial = "2024-05-01-10-00-00-00";
        third.freeBytes = 0;
        discs.Set(200, third);
        cdi::Write(store, bytes, &discs);
        entryBytes = bytes.substr(0, bytes.find(cdi::block::kMagic));
    }
};

std::string Le64(std::uint64_t v) {
    std::string out;
    cdi::block::Put64(v, out);
    return out;
}

// Puts `bytes` at `at` of the block and seals it again (length and checksum), as a writer with other ideas
// would: the damage then lies past the checksum's reach.
std::string Resealed(const Sample& s, std::size_t at, const std::string& bytes, std::size_t grow = 0) {
    std::string block = s.bytes.substr(s.entryBytes.size());
    block.insert(block.size() - 8, std::string(grow, '\0'));
    block.replace(at, bytes.size(), bytes);
    block.replace(24, 8, Le64(block.size()));
    block.replace(block.size() - 8, 8,
                  Le64(cdi::block::Hash(std::string_view(block).substr(0, block.size() - 8))));
    return s.entryBytes + block;
}

}  // namespace

TEST(CdiBlock, ReadsBackWhatWasWrittenWholeOrInChunksAndWritesTheSameBytesAgain) {
    const Sample s;
    ASSERT_GT(s.bytes.size(), s.entryBytes.size());
    for (const std::size_t chunk : {0, 1, 7, 4096}) {
        const Read r = ReadBytes(s.bytes, chunk);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.extension.problem, "") << chunk;
        EXPECT_EQ(r.extension.discs.All(), s.discs.All()) << chunk;
        ASSERT_EQ(r.store.Size(), s.store.Size());
        for (std::size_t i = 0; i < s.store.Size(); ++i)
            ASSERT_EQ(r.store.Modified(i), s.store.Modified(i)) << i;
        std::string again;
        cdi::Write(r.store, again, &r.extension.discs);
        EXPECT_TRUE(again == s.bytes) << chunk;
    }
}

TEST(CdiBlock, IsWrittenOnlyWhenItHoldsSomething) {
    Sample s;
    std::string plain;
    for (std::size_t i = 0; i < s.store.Size(); ++i) s.store.SetModified(i, EntryStore::kUnknownTime);
    const catalogue::DiscRecords none;
    cdi::Write(s.store, plain, &none);
    EXPECT_TRUE(plain == s.entryBytes) << "unknown times and no records: the file other programs write";
    std::string recordsOnly;
    cdi::Write(s.store, recordsOnly, &s.discs);
    const Read r = ReadBytes(recordsOnly);
    EXPECT_EQ(r.extension.discs.All(), s.discs.All());
    EXPECT_FALSE(r.store.HasDates());
}

TEST(CdiBlock, AnyDamageLeavesTheWholeBlockOutAndTheEntriesAsTheyAre) {
    const Sample s;
    const std::size_t end = s.entryBytes.size();
    const std::size_t n = s.store.Size();
    const auto flip = [&](std::size_t at) {
        std::string b = s.bytes;
        b[at] = static_cast<char>(b[at] ^ 0x20);
        return b;
    };
    const auto put = [&](std::size_t at, const std::string& bytes) {
        std::string b = s.bytes;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    const std::size_t times = end + cdi::block::kHeaderBytes + cdi::block::kSectionHeadBytes;
    const std::size_t discs = times + 8 * n;
    // The second disc record, after the first one's row, fields length and fields.
    const std::size_t firstRecord = discs - end + cdi::block::kSectionHeadBytes + 4;
    const std::size_t secondRecord =
        firstRecord + 12 + (cdi::block::Get64(s.bytes.data() + end + firstRecord + 8) & 0xFFFFFFFF);
    std::string otherEntries;
    {
        EntryStore other;
        for (std::size_t i = 0; i < n; ++i) other.Append("Other", "x" + std::to_string(i), "File", "\\", "1");
        cdi::Write(other, otherEntries);
    }
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"a byte of a time changed", flip(times + 8 * 10)},
        {"a byte of the checksum changed", flip(s.bytes.size() - 1)},
        {"a version not known", put(end + 8, "\x02")},
        {"an entry count that is not the file's", put(end + 12, "\x2D\x01")},
        {"a size changed after the block was written", flip(end - 2)},
        {"the block spliced onto other entries", otherEntries + s.bytes.substr(end)},
        {"cut off by a byte", s.bytes.substr(0, s.bytes.size() - 1)},
        {"cut off inside the times", s.bytes.substr(0, times + 100)},
        {"cut off inside the header", s.bytes.substr(0, end + 20)},
        {"a block length of 2^63", put(end + 24, Le64(std::uint64_t{1} << 63))},
        {"a block length shorter than its header", put(end + 24, Le64(12))},
        {"a times length that is not 8 per entry",
         Resealed(s, cdi::block::kHeaderBytes + 8, Le64(8 * n - 8))},
        {"a section length of 2^62", Resealed(s, cdi::block::kHeaderBytes + 8, Le64(std::uint64_t{1} << 62))},
        {"a disc count of 2^32 - 1",
         Resealed(s, discs - end + cdi::block::kSectionHeadBytes, "\xFF\xFF\xFF\xFF")},
        {"a field length past its record",
         Resealed(s, discs - end + cdi::block::kSectionHeadBytes + 4 + 12 + 2, "\xFF\xFF\xFF\x7F")},
        {"a number field that is not 8 bytes",
         Resealed(s, discs - end + cdi::block::kSectionHeadBytes + 4 + 12 + 2, "\x07")},
        {"a second times section", Resealed(s, discs - end, s.bytes.substr(end + 32, 16))},
        {"a record's row past the entries", Resealed(s, secondRecord, Le64(n))},
        {"records out of row order", Resealed(s, firstRecord, Le64(250))},
    };
    for (const auto& c : cases) {
        for (const std::size_t chunk : {0, 5}) {
            const Read r = ReadBytes(c.bytes, chunk);
            ASSERT_TRUE(r.ok) << c.what << ": " << r.error;
            EXPECT_NE(r.extension.problem, "") << c.what;
            EXPECT_FALSE(r.store.HasDates()) << c.what;
            EXPECT_TRUE(r.extension.discs.Empty()) << c.what;
            EXPECT_EQ(r.store.Size(),
                      std::string_view(c.bytes).starts_with(otherEntries) ? n : s.store.Size())
                << c.what;
        }
    }
}

TEST(CdiBlock, BytesThatAreNoBlockAreIgnoredAndSectionsOfLaterVersionsSkipped) {
    const Sample s;
    const Read trailing = ReadBytes(s.entryBytes + "left by another program");
    EXPECT_EQ(trailing.extension.problem, "");
    EXPECT_FALSE(trailing.store.HasDates());

    // A section of kind 99 in front of the others, sealed as a later version would seal it.
    std::string later = s.bytes.substr(0, s.entryBytes.size() + cdi::block::kHeaderBytes);
    cdi::block::PutSectionHead({99, 0, 5}, later);
    later += "later";
    later += s.bytes.substr(s.entryBytes.size() + cdi::block::kHeaderBytes);
    std::string block = later.substr(s.entryBytes.size());
    block.replace(24, 8, Le64(block.size()));
    block.replace(block.size() - 8, 8,
                  Le64(cdi::block::Hash(std::string_view(block).substr(0, block.size() - 8))));
    const Read r = ReadBytes(s.entryBytes + block, 3);
    EXPECT_EQ(r.extension.problem, "");
    EXPECT_EQ(r.extension.discs.All(), s.discs.All());
    EXPECT_EQ(r.store.Modified(1), s.store.Modified(1));
}

namespace {

// Every third file has a checksum, every tenth could not be read.
void AddSums(EntryStore& store) {
    for (std::size_t i = 0; i < store.Size(); ++i) {
        if (i % 10 == 4)
            store.SetUnreadable(i, "Input/output error " + std::to_string(i));
        else if (i % 3 == 0)
            store.SetSum(i, catalogue::SumOf(std::to_string(i)));
    }
}

}  // namespace

TEST(CdiBlock, ChecksumsAndReadErrorsReadBackAndDamageToThemLeavesTheBlockOut) {
    Sample s;
    AddSums(s.store);
    std::string bytes;
    cdi::Write(s.store, bytes, &s.discs);
    for (const std::size_t chunk : {0, 3, 4096}) {
        const Read r = ReadBytes(bytes, chunk);
        ASSERT_EQ(r.extension.problem, "") << chunk;
        for (std::size_t i = 0; i < s.store.Size(); ++i) {
            ASSERT_EQ(r.store.Sum(i), s.store.Sum(i)) << i;
            ASSERT_EQ(r.store.ReadError(i), s.store.ReadError(i)) << i;
        }
        std::string again;
        cdi::Write(r.store, again, &r.extension.discs);
        EXPECT_TRUE(again == bytes) << chunk;
    }
    // The sums section follows the times; its entries come first, then the reasons.
    const std::size_t n = s.store.Size();
    const std::size_t sums = cdi::block::kHeaderBytes + cdi::block::kSectionHeadBytes + 8 * n;
    const std::size_t sumsEnd = sums + cdi::block::kSectionHeadBytes + cdi::block::kSumBytes * n;
    const std::size_t entryBytes = bytes.find(cdi::block::kMagic);
    const Sample withSums = [&] {
        Sample copy;
        copy.bytes = bytes;
        copy.entryBytes = bytes.substr(0, entryBytes);
        return copy;
    }();
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"a state not known", Resealed(withSums, sums + cdi::block::kSectionHeadBytes, "\x03")},
        {"a reason for a row that was read", Resealed(withSums, sumsEnd + 4, Le64(3))},
        {"a reasons count past the section", Resealed(withSums, sumsEnd, "\xFF\xFF\xFF\x0F")},
        {"a section shorter than a checksum per entry",
         Resealed(withSums, sums + 8, Le64(cdi::block::kSumBytes * n - 1))},
    };
    for (const auto& c : cases) {
        const Read r = ReadBytes(c.bytes);
        EXPECT_NE(r.extension.problem, "") << c.what;
        EXPECT_FALSE(r.store.HasSums()) << c.what;
        EXPECT_FALSE(r.store.HasDates()) << c.what;
    }
}

TEST(CdiBlock, DeletedChecksumsWriteNoSection) {
    Sample s;
    s.store.SetUnreadable(5, "gone");
    s.store.SetSum(5, {});
    std::string bytes;
    cdi::Write(s.store, bytes, &s.discs);
    EXPECT_TRUE(bytes == s.bytes);
}
