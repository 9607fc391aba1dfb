#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "CdiBytes.h"
#include "catalogue/CCDContent.h"
#include "catalogue/CdiFormat.h"
#include "catalogue/DisplayText.h"
#include "catalogue/EntryStore.h"

using namespace cdibytes;

namespace {

std::string Written(const EntryStore& store) {
    std::string out;
    cdi::Write(store, out);
    return out;
}

struct Loaded {
    bool ok;
    EntryStore store;
    std::string error;
};

Loaded Load(const std::string& bytes) {
    Loaded loaded{false, {}, {}};
    loaded.ok = cdi::Read(std::span<const char>(bytes.data(), bytes.size()), loaded.store, loaded.error);
    return loaded;
}

// Fails the load and says so, leaving nothing behind.
void ExpectRejected(const std::string& bytes, const std::string& what) {
    const Loaded loaded = Load(bytes);
    EXPECT_FALSE(loaded.ok) << what;
    EXPECT_EQ(loaded.store.Size(), 0u) << what;
    EXPECT_FALSE(loaded.error.empty()) << what;
}

std::string OneFileDisc() {
    return std::string("\x01\x00\xFF\xFF\x01\x00\x0A\x00", 8) + "CCDContent" + Text("A") + Text("X.TXT") +
           Text("file ") + Text("\\") + Text("5");
}

}  // namespace

// --- Writing: the bytes are the format, so they are compared exactly ---

TEST(CdiWrite, EmptyCatalogueIsTwoZeroBytes) {
    EXPECT_EQ(Written(EntryStore()), std::string("\0\0", 2));
}

TEST(CdiWrite, OneFileOnOneDiscIsThe36ByteExample) {
    EntryStore store;
    store.Append("A", "X.TXT", kKindFile, "\\", "5");
    const std::string bytes = Written(store);
    EXPECT_EQ(bytes.size(), 36u);
    EXPECT_EQ(bytes, OneFileDisc());
}

TEST(CdiWrite, OnlyTheFirstEntryCarriesTheClassDescription) {
    EntryStore store;
    store.Append("A", "DOCS", kKindFolder, "\\", "0");
    store.Append("A", "B.DOC", kKindFile, "\\DOCS\\", "1,024");
    store.Append("B", "C.TXT", kKindFile, "\\", "3");
    EXPECT_EQ(Written(store), Count(3) + Entry(true, {"A", "DOCS", "folder ", "\\", "0"}) +
                                  Entry(false, {"A", "B.DOC", "file ", "\\DOCS\\", "1,024"}) +
                                  Entry(false, {"B", "C.TXT", "file ", "\\", "3"}));
}

TEST(CdiWrite, DeletedEntryIsItsTagAndFiveZeroBytes) {
    EntryStore store;
    store.Append("A", "X", kKindFile, "\\", "1");
    store.Append("", "", "", "", "");
    const std::string bytes = Written(store);
    EXPECT_EQ(bytes.substr(bytes.size() - 7), std::string("\x01\x80\0\0\0\0\0", 7));

    EntryStore onlyDeleted;
    onlyDeleted.Append("", "", "", "", "");
    EXPECT_EQ(Written(onlyDeleted), Count(1) + kClassHeader + std::string(5, '\0'));
}

TEST(CdiWrite, TextLengthPrefixGrowsAt255AndAt0xFFFE) {
    const struct {
        std::size_t length;
        std::string prefix;
    } cases[] = {
        {0, std::string(1, '\0')},
        {254, "\xFE"},
        {255, std::string("\xFF\xFF\x00", 3)},
        {256, std::string("\xFF\x00\x01", 3)},
        {0xFFFD, "\xFF\xFD\xFF"},
        {0xFFFE, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const auto& c : cases) {
        const std::string name(c.length, 'n');
        EntryStore store;
        store.Append("A", name, kKindFile, "\\", "1");
        // The prefix is spelled out rather than built by Prefix(), which follows the same rules as the
        // writer.
        const std::string expected =
            Count(1) + kClassHeader + Text("A") + c.prefix + name + Text("file ") + Text("\\") + Text("1");
        EXPECT_EQ(Written(store), expected) << "name of " << c.length << " bytes";
        const Loaded back = Load(expected);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_EQ(back.store.Name(0), name);
    }
}

TEST(CdiWrite, CountTakesSixBytesFrom65535EntriesOn) {
    for (const std::uint32_t n : {65534u, 65535u, 65536u}) {
        EntryStore store;
        for (std::uint32_t i = 0; i < n; ++i) store.Append("D", "f", kKindFile, "\\", "1");
        const std::string bytes = Written(store);
        EXPECT_EQ(bytes.substr(0, n < 65535 ? 2 : 6), Count(n)) << n;
        const Loaded back = Load(bytes);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_EQ(back.store.Size(), n);
    }
    EXPECT_EQ(Count(65535), std::string("\xFF\xFF\xFF\xFF\x00\x00", 6));
}

TEST(CdiWrite, Utf8BeyondAsciiIsWrittenAsUtf16AndEverythingElseAsItsBytes) {
    EntryStore store;
    store.Append("A", "\xC3\xA9t\xC3\xA9.txt", kKindFile, "\\", "1");  // "été.txt" in UTF-8
    store.Append("A", "caf\xE9.txt", kKindFile, "\\", "1");            // Windows-1252, not UTF-8
    store.Append("A", "\xF0\x9F\x92\xBF", kKindFile, "\\", "1");       // a disc emoji: a surrogate pair
    EXPECT_EQ(Written(store), Count(3) + kClassHeader + Text("A") +
                                  Utf16Text(std::string("\xE9\x00t\x00\xE9\x00.\x00t\x00x\x00t\x00", 14)) +
                                  Text("file ") + Text("\\") + Text("1") + kLaterTag + Text("A") +
                                  Text("caf\xE9.txt") + Text("file ") + Text("\\") + Text("1") + kLaterTag +
                                  Text("A") + Utf16Text("\x3D\xD8\xBF\xDC") + Text("file ") + Text("\\") +
                                  Text("1"));
}

TEST(CdiWrite, TheWriterMatchesEncodingEveryTextOfEveryEntry) {
    // The writer copies a repeated label, kind or path instead of encoding it again; encoding all five
    // texts of every entry must give the same bytes, across renames that change an interned text.
    const std::string texts[] = {"A",     "",        "Disc \xC3\xA9",      "caf\xE9", "\\", "\\D\\",
                                 "file ", "folder ", std::string(300, 'p')};
    std::mt19937 random(31);
    for (int round = 0; round < 200; ++round) {
        EntryStore store;
        const std::size_t entries = random() % 60;
        for (std::size_t i = 0; i < entries; ++i) {
            const auto pick = [&] { return texts[random() % std::size(texts)]; };
            store.Append(pick(), pick(), pick(), pick(), pick());
            if (random() % 7 == 0) store.SetLabel(random() % store.Size(), pick());
            if (random() % 7 == 0) store.SetPath(random() % store.Size(), pick());
        }
        std::string expected = Count(static_cast<std::uint32_t>(entries));
        for (std::size_t i = 0; i < entries; ++i) {
            expected += i == 0 ? kClassHeader : kLaterTag;
            for (const std::string_view text :
                 {store.Label(i), store.Name(i), store.Kind(i), store.Path(i), store.SizeText(i)}) {
                cdi::WriteText(text, expected);
            }
        }
        ASSERT_EQ(Written(store), expected) << "round " << round;
    }
}

// --- Reading ---

TEST(CdiRead, ReadsBackWhatWasWrittenByteForByte) {
    EntryStore store;
    store.Append("Holiday 2004", "DOCS", kKindFolder, "\\", "0");
    store.Append("Holiday 2004", "\xC3\xA9t\xC3\xA9 \xC3\xA0 Paris.txt", kKindFile, "\\DOCS\\", "1,234,567");
    store.Append("", "", "", "", "");
    store.Append("B\xE9", "caf\xE9", "odd kind", "\\x\\", "");
    store.Append("C", std::string(300, 'x'), kKindFile, std::string(70000, 'p'), "4,294,967,296");
    const std::string bytes = Written(store);
    const Loaded back = Load(bytes);
    ASSERT_TRUE(back.ok) << back.error;
    ASSERT_EQ(back.store.Size(), store.Size());
    for (std::size_t i = 0; i < store.Size(); ++i) {
        EXPECT_EQ(back.store.Label(i), store.Label(i));
        EXPECT_EQ(back.store.Name(i), store.Name(i));
        EXPECT_EQ(back.store.Kind(i), store.Kind(i));
        EXPECT_EQ(back.store.Path(i), store.Path(i));
        EXPECT_EQ(back.store.SizeText(i), store.SizeText(i));
    }
    EXPECT_TRUE(back.store.IsDeleted(2));
    EXPECT_EQ(back.store.Kind(0), "folder ");
    EXPECT_EQ(Written(back.store), bytes);
}

TEST(CdiRead, Utf16TextsBecomeUtf8AndTheirLengthCountsUnits) {
    const std::string units300 = [] {
        std::string out;
        for (int i = 0; i < 300; ++i) out += std::string("\xE9\x00", 2);
        return out;
    }();
    std::string expected300;
    for (int i = 0; i < 300; ++i) expected300 += "\xC3\xA9";
    const std::string bytes = Count(1) + kClassHeader + Utf16Text(std::string("L\x00", 2)) +
                              Utf16Text(units300) + Text("file ") + Utf16Text("\x3D\xD8\xBF\xDC") + Text("0");
    const Loaded back = Load(bytes);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.store.Label(0), "L");
    EXPECT_EQ(back.store.Name(0), expected300);
    EXPECT_EQ(back.store.Path(0), "\xF0\x9F\x92\xBF");
}

// Other programs may write UTF-16 with a surrogate that has no partner; it has no UTF-8 form, and a reader
// that wrote it as three bytes anyway would store text that is not UTF-8.
TEST(CdiRead, ALoneSurrogateReadsAsTheReplacementCharacter) {
    struct Case {
        const char* what;
        std::string utf16le;
        std::string utf8;
    };
    const std::string fffd = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"high surrogate then a letter", std::string("\x00\xD8\x41\x00", 4), fffd + "A"},
        {"high surrogate as the last unit", std::string("\x41\x00\x3D\xD8", 4), "A" + fffd},
        {"low surrogate alone", std::string("\x00\xDC", 2), fffd},
        {"low surrogate before a high one", std::string("\x00\xDC\x00\xD8", 4), fffd + fffd},
        {"two high surrogates, then a low one", std::string("\x3D\xD8\x3D\xD8\xBF\xDC", 6),
         fffd + "\xF0\x9F\x92\xBF"},
    };
    for (const Case& c : cases) {
        const std::string bytes = Count(1) + kClassHeader + Text("L") + Utf16Text(c.utf16le) + Text("file ") +
                                  Text("\\") + Text("0");
        const Loaded back = Load(bytes);
        ASSERT_TRUE(back.ok) << c.what << ": " << back.error;
        EXPECT_EQ(back.store.Name(0), c.utf8) << c.what;
        EXPECT_TRUE(catalogue::IsValidUtf8(back.store.Name(0))) << c.what;
    }
}

TEST(CdiRead, BytesAfterTheLastEntryAreNotRead) {
    const Loaded back = Load(OneFileDisc() + "trailing rubbish \xFF\xFF");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.store.Size(), 1u);
    EXPECT_EQ(back.store.SizeText(0), "5");
}

TEST(CdiRead, EveryCutShortFileFails) {
    const std::string whole = Count(2) + Entry(true, {"A", "DOCS", "folder ", "\\", "0"}) +
                              Entry(false, {"A", std::string(300, 'n'), "file ", "\\DOCS\\", "1"});
    for (std::size_t length = 1; length < whole.size(); ++length) {
        ExpectRejected(whole.substr(0, length), "cut to " + std::to_string(length) + " bytes");
    }
    EXPECT_TRUE(Load(whole).ok);
}

TEST(CdiRead, CountsAndLengthsBeyondTheFileFailWithoutAllocating) {
    ExpectRejected(std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6), "4 billion entries in 6 bytes");
    ExpectRejected(std::string("\xFF\xFF\xFF\xFF\xFF\x7F", 6) + kClassHeader, "2 billion entries");
    ExpectRejected(Count(1) + kClassHeader + std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 7),
                   "a text of 4 GiB");
    ExpectRejected(Count(1) + kClassHeader + "\xFF" + U16(0xFFFE) + "\xFF\xFF\xFF\xFF\xFF\xFF\xFF",
                   "a UTF-16 text of 4 billion units");
    ExpectRejected(Count(1) + kClassHeader + Prefix(16) + "short", "a text longer than the file");
}

TEST(CdiRead, TagsThisProgramNeverWritesFailTheLoad) {
    const std::string first = Entry(true, {"A", "X", "file ", "\\", "1"});
    const std::string texts = std::string(5, '\0');
    ExpectRejected(Count(2) + first + U16(0x0000) + texts, "a null entry");
    ExpectRejected(Count(2) + first + U16(0x0002) + texts, "a back-reference to the first entry");
    ExpectRejected(Count(2) + first + U16(0x0005) + texts, "a back-reference to a number not yet read");
    ExpectRejected(Count(2) + first + U16(0x8002) + texts, "class number 2 is the first entry, not a class");
    ExpectRejected(Count(2) + first + U16(0x8007) + texts, "an unknown class number");
    ExpectRejected(Count(1) + U16(0x8001) + texts, "a class reference before any class description");
    ExpectRejected(Count(2) + first + U16(0x7FFF) + U32(0x00000002) + texts, "a long back-reference");
}

TEST(CdiRead, OnlyCCDContentOfSchemaOneIsAccepted) {
    const std::string texts = std::string(5, '\0');
    const auto description = [](std::uint16_t schema, const std::string& name) {
        return U16(0xFFFF) + U16(schema) + U16(static_cast<std::uint16_t>(name.size())) + name;
    };
    EXPECT_TRUE(Load(Count(1) + description(1, "CCDContent") + texts).ok);
    ExpectRejected(Count(1) + description(2, "CCDContent") + texts, "schema 2");
    ExpectRejected(Count(1) + description(0, "CCDContent") + texts, "schema 0");
    ExpectRejected(Count(1) + description(1, "CCDContenT") + texts, "another class name");
    ExpectRejected(Count(1) + description(1, "CObject") + texts, "another class name");
    ExpectRejected(Count(1) + description(1, std::string(64, 'C')) + texts, "a class name of 64 bytes");
    ExpectRejected(Count(1) + U16(0xFFFF) + U16(1) + U16(0xFFFF) + "CCDContent" + texts,
                   "a class name length beyond the file");
}

TEST(CdiRead, ErrorsSayWhatIsWrong) {
    const Loaded wrongClass =
        Load(Count(1) + U16(0xFFFF) + U16(1) + U16(7) + "CObject" + std::string(5, '\0'));
    EXPECT_NE(wrongClass.error.find("class"), std::string::npos) << wrongClass.error;
    const Loaded wrongSchema =
        Load(Count(1) + U16(0xFFFF) + U16(3) + U16(10) + "CCDContent" + std::string(5, '\0'));
    EXPECT_NE(wrongSchema.error.find("schema"), std::string::npos) << wrongSchema.error;
}

TEST(CdiRead, AFailedReadEmptiesAStoreThatHeldEntries) {
    EntryStore store;
    store.Append("A", "X", kKindFile, "\\", "1");
    std::string error;
    const std::string bad = OneFileDisc().substr(0, 30);
    EXPECT_FALSE(cdi::Read(std::span<const char>(bad.data(), bad.size()), store, error));
    EXPECT_EQ(store.Size(), 0u);
}
