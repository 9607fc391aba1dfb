#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/DiscEdits.h"
#include "catalogue/FolderIndex.h"
#include "catalogue/FolderIndexCache.h"

namespace {

using catalogue::FolderIndex;
using Texts = std::vector<std::string>;

struct Row {
    std::string label, name, kind, path;
};

EntryStore StoreOf(const std::vector<Row>& rows) {
    EntryStore store;
    for (const Row& r : rows) store.Append(r.label, r.name, r.kind, r.path, r.kind.empty() ? "" : "1");
    return store;
}

FolderIndex IndexOf(const EntryStore& store, std::string_view label) {
    return FolderIndex(store, catalogue::FirstDisc(store, label));
}

// Every folder from the root down, subfolders in their order: "PATH: rows | subfolders".
Texts Describe(const FolderIndex& index, const EntryStore& store) {
    Texts out;
    std::vector<FolderIndex::FolderId> todo{FolderIndex::kRoot};
    while (!todo.empty()) {
        const FolderIndex::FolderId f = todo.front();
        todo.erase(todo.begin());
        std::string line = index.Path(f) + ":";
        for (const std::uint32_t row : index.Rows(f)) line += " " + std::string(store.Name(row));
        line += " |";
        for (const FolderIndex::FolderId sub : index.Subfolders(f)) {
            line += " " + std::string(index.Name(sub));
            todo.push_back(sub);
        }
        out.push_back(line);
    }
    return out;
}

TEST(FolderIndex, FoldersComeFromPathsAndFolderEntries) {
    const struct {
        const char* what;
        std::vector<Row> rows;
        Texts folders;
    } cases[] = {
        {"nested, in walk order",
         {{"A", "A.TXT", "file ", "\\"},
          {"A", "DOCS", "folder ", "\\"},
          {"A", "B.DOC", "file ", "\\DOCS\\"},
          {"A", "SUB", "folder ", "\\DOCS\\"},
          {"A", "C.DOC", "file ", "\\DOCS\\SUB\\"},
          {"A", "D.DOC", "file ", "\\DOCS\\"}},
         {"\\: A.TXT DOCS | DOCS", "\\DOCS\\: B.DOC SUB D.DOC | SUB", "\\DOCS\\SUB\\: C.DOC |"}},
        {"an empty folder is a folder; a file named like a folder is not",
         {{"A", "EMPTY", "folder ", "\\"}, {"A", "NOTDIR", "file ", "\\"}},
         {"\\: EMPTY NOTDIR | EMPTY", "\\EMPTY\\: |"}},
        {"folders named only by paths",
         {{"A", "X", "file ", "\\GHOST\\IN\\"}, {"A", "Y", "file ", "\\GHOST\\"}},
         {"\\: | GHOST", "\\GHOST\\: Y | IN", "\\GHOST\\IN\\: X |"}},
        {"a name repeating at other depths is another folder",
         {{"A", "A", "folder ", "\\"},
          {"A", "A", "folder ", "\\A\\"},
          {"A", "f", "file ", "\\A\\A\\"},
          {"A", "g", "file ", "\\A\\"}},
         {"\\: A | A", "\\A\\: A g | A", "\\A\\A\\: f |"}},
        {"blanks, case and bytes beyond ASCII are kept exactly",
         {{"A", "My Docs", "folder ", "\\"},
          {"A", "x", "file ", "\\My Docs\\"},
          {"A", "docs", "folder ", "\\"},
          {"A", "DOCS", "folder ", "\\"},
          {"A", "\xC3\xA9t\xC3\xA9", "folder ", "\\"},
          {"A", "\xE9t\xE9", "folder ", "\\"},
          {"A", "y", "file ", "\\\xC3\xA9t\xC3\xA9\\"}},
         {"\\: My Docs docs DOCS \xC3\xA9t\xC3\xA9 \xE9t\xE9 | My Docs docs DOCS \xC3\xA9t\xC3\xA9 \xE9t\xE9",
          "\\My Docs\\: x |", "\\docs\\: |", "\\DOCS\\: |", "\\\xC3\xA9t\xC3\xA9\\: y |",
          "\\\xE9t\xE9\\: |"}},
        {"paths not in the walk's form name the same folders; empty names hold no folder",
         {{"A", "DOCS", "folder ", ""},
          {"A", "a", "file ", "DOCS"},
          {"A", "b", "file ", "\\DOCS"},
          {"A", "c", "file ", "\\\\DOCS\\\\"},
          {"A", "", "folder ", "\\DOCS\\"},
          {"A", "P\\Q", "folder ", "\\"}},
         {"\\: DOCS P\\Q | DOCS P", "\\DOCS\\: a b c  |", "\\P\\: | Q", "\\P\\Q\\: |"}},
        {"'/', \".\" and \"..\" are bytes of names, never separators or steps",
         {{"A", "a", "file ", "\\x/y\\..\\.\\"}},
         {"\\: | x/y", "\\x/y\\: | ..", "\\x/y\\..\\: | .", "\\x/y\\..\\.\\: a |"}},
        {"the disc's own rows, past deleted entries; other labels are not its rows",
         {{"B", "other", "folder ", "\\"},
          {"A", "one", "folder ", "\\"},
          {"", "", "", ""},
          {"A", "two", "folder ", "\\"},
          {"B", "later", "folder ", "\\"},
          {"A", "three", "folder ", "\\"}},
         {"\\: one two | one two", "\\one\\: |", "\\two\\: |"}},
        {"a path that extends another's text is no folder below it",
         {{"A", "x", "file ", "\\DOC"}, {"A", "y", "file ", "\\DOCS\\"}},
         {"\\: | DOC DOCS", "\\DOC\\: x |", "\\DOCS\\: y |"}},
        {"a label no entry carries: the root alone", {{"B", "x", "folder ", "\\"}}, {"\\: |"}},
    };
    for (const auto& c : cases) {
        const EntryStore store = StoreOf(c.rows);
        EXPECT_EQ(Describe(IndexOf(store, "A"), store), c.folders) << c.what;
    }
}

// The slow twin: every folder and its rows found by filtering all of the disc's entries by path.
struct Reference {
    using Names = std::vector<std::string>;
    std::vector<Names> order;  // folders in the order the entries first name them
    std::map<Names, std::vector<std::uint32_t>> rows;

    static Names Split(std::string_view path) {
        Names names;
        std::string name;
        for (const char c : path) {
            if (c != '\\') {
                name += c;
            } else if (!name.empty()) {
                names.push_back(name);
                name.clear();
            }
        }
        if (!name.empty()) names.push_back(name);
        return names;
    }
    static std::string Join(const Names& names) {
        std::string path = "\\";
        for (const std::string& n : names) path += n + "\\";
        return path;
    }
    void Name(const Names& folder) {
        for (std::size_t depth = 0; depth <= folder.size(); ++depth) {
            const Names prefix(folder.begin(), folder.begin() + static_cast<std::ptrdiff_t>(depth));
            if (std::find(order.begin(), order.end(), prefix) == order.end()) order.push_back(prefix);
        }
    }

    Reference(const EntryStore& store, std::string_view label) {
        const catalogue::Disc disc = catalogue::FirstDisc(store, label);
        Name({});
        for (std::size_t i = disc.first; i < disc.end; ++i) {
            if (!disc.Holds(store, i)) continue;
            const Names folder = Split(store.Path(i));
            Name(folder);
            if (store.Kind(i) == "folder ") {
                Names opened = folder;
                for (const std::string& n : Split(store.Name(i))) opened.push_back(n);
                Name(opened);
            }
        }
        for (const Names& folder : order) {
            for (std::size_t i = disc.first; i < disc.end; ++i)
                if (disc.Holds(store, i) && Split(store.Path(i)) == folder)
                    rows[folder].push_back(static_cast<std::uint32_t>(i));
        }
    }
};

TEST(FolderIndex, AgreesWithFilteringEveryEntryByPath) {
    std::mt19937 random(16);
    const Texts names{"DOCS", "docs", "A", "My Files", "\xC3\xA9t\xC3\xA9", "\xE9t\xE9", "x.txt", "SUB"};
    const Texts labels{"A", "A", "A", "B", ""};
    const auto pick = [&](const Texts& from) { return from[random() % from.size()]; };
    for (int round = 0; round < 200; ++round) {
        EntryStore store;
        const int count = 1 + static_cast<int>(random() % 120);
        for (int i = 0; i < count; ++i) {
            const std::string label = pick(labels);
            if (label.empty()) {
                store.Append("", "", "", "", "");
                continue;
            }
            std::string path = random() % 8 ? "\\" : "";
            for (unsigned depth = random() % 4; depth > 0; --depth) {
                path += pick(names);
                path += random() % 10 ? "\\" : "\\\\";
            }
            if (random() % 12 == 0 && path.size() > 1) path.pop_back();
            std::string name = pick(names);
            if (random() % 25 == 0) name = random() % 2 ? "" : name + "\\" + pick(names);
            store.Append(label, name, random() % 3 ? "file " : "folder ", path, "1");
        }

        const FolderIndex index = IndexOf(store, "A");
        const Reference slow(store, "A");
        ASSERT_EQ(index.FolderCount(), slow.order.size()) << "round " << round;
        for (const Reference::Names& folder : slow.order) {
            const std::string path = Reference::Join(folder);
            const FolderIndex::FolderId f = index.Find(path);
            ASSERT_NE(f, FolderIndex::kNoFolder) << path;
            EXPECT_EQ(index.Path(f), path);
            if (!folder.empty()) {
                EXPECT_EQ(index.Path(index.Parent(f)), Reference::Join({folder.begin(), folder.end() - 1}));
                EXPECT_EQ(index.Name(f), folder.back());
            }
            const auto rows = index.Rows(f);
            const auto found = slow.rows.find(folder);
            const std::vector<std::uint32_t> expected =
                found == slow.rows.end() ? std::vector<std::uint32_t>{} : found->second;
            EXPECT_EQ(std::vector<std::uint32_t>(rows.begin(), rows.end()), expected) << path;
            Texts subs;
            for (const FolderIndex::FolderId sub : index.Subfolders(f)) subs.push_back(index.Path(sub));
            Texts slowSubs;
            for (const Reference::Names& other : slow.order) {
                if (other.size() == folder.size() + 1 &&
                    std::equal(folder.begin(), folder.end(), other.begin()))
                    slowSubs.push_back(Reference::Join(other));
            }
            EXPECT_EQ(subs, slowSubs) << path;
        }
        EXPECT_EQ(index.Parent(FolderIndex::kRoot), FolderIndex::kNoFolder);
        EXPECT_EQ(index.Find("\\NOT THERE\\"), FolderIndex::kNoFolder);
        const catalogue::Disc disc = catalogue::FirstDisc(store, "A");
        for (std::size_t i = disc.first; i < disc.end; ++i) {
            if (!disc.Holds(store, i)) continue;
            // Any form of a row's own path finds the folder that lists it.
            const FolderIndex::FolderId holder = index.Find(store.Path(i));
            ASSERT_NE(holder, FolderIndex::kNoFolder) << store.Path(i);
            const auto rows = index.Rows(holder);
            EXPECT_NE(std::find(rows.begin(), rows.end(), i), rows.end()) << i;
            Reference::Names opened = Reference::Split(store.Path(i));
            const Reference::Names names = Reference::Split(store.Name(i));
            opened.insert(opened.end(), names.begin(), names.end());
            const FolderIndex::FolderId f = index.Opens(store, i);
            const bool opens = store.Kind(i) == "folder " && !names.empty();
            EXPECT_EQ(f != FolderIndex::kNoFolder, opens) << i;
            if (opens && f != FolderIndex::kNoFolder) {
                EXPECT_EQ(index.Path(f), Reference::Join(opened));
            }
        }
    }
}

class FolderIndexOfDocument : public ::testing::Test {
protected:
    void SetUp() override {
        doc.AppendEntry("A", "DOCS", "folder ", "\\", "0");
        doc.AppendEntry("A", "B.DOC", "file ", "\\DOCS\\", "20");
        doc.AppendEntry("B", "PICS", "folder ", "\\", "0");
    }
    static Texts Folders(const FolderIndex& index) {
        Texts paths;
        for (FolderIndex::FolderId f = 0; f < index.FolderCount(); ++f) paths.push_back(index.Path(f));
        return paths;
    }
    CKavrelDoc doc;
};

TEST_F(FolderIndexOfDocument, IsBuiltOnceAndKeptWhileNothingChanges) {
    const auto first = doc.Folders(catalogue::FirstDisc(doc.Entries(), "A"));
    EXPECT_EQ(Folders(*first), (Texts{"\\", "\\DOCS\\"}));
    EXPECT_EQ(doc.Folders(catalogue::FirstDisc(doc.Entries(), "A")), first);
    EXPECT_EQ(std::as_const(doc).Entries().Size(), 3u);
    EXPECT_EQ(doc.Folders(catalogue::FirstDisc(doc.Entries(), "A")), first);
    // Views and the search read through a document that is not const: reading still keeps the index.
    EXPECT_EQ(doc.Entries().Name(0), std::as_const(doc).Entries().Name(0));
    EXPECT_EQ(doc.Folders(catalogue::FirstDisc(doc.Entries(), "A")), first);
    EXPECT_EQ(Folders(*doc.Folders(catalogue::FirstDisc(doc.Entries(), "no such disc"))), Texts{"\\"});
}

TEST_F(FolderIndexOfDocument, IsBuiltAfreshWhenTheCatalogueChanges) {
    const struct {
        const char* what;
        std::function<void(CKavrelDoc&)> change;
        const char* label;
        Texts folders;
    } cases[] = {
        {"a disc appended under the same label lengthens it",
         [](CKavrelDoc& d) { d.AppendEntry("B", "MORE", "folder ", "\\", "0"); },
         "B",
         {"\\", "\\PICS\\", "\\MORE\\"}},
        {"renamed, the disc's folders go with its new label",
         [](CKavrelDoc& d) { catalogue::RelabelDisc(d, catalogue::FirstDisc(d.Entries(), "A"), "C"); },
         "C",
         {"\\", "\\DOCS\\"}},
        {"renamed, the old label names no folders",
         [](CKavrelDoc& d) { catalogue::RelabelDisc(d, catalogue::FirstDisc(d.Entries(), "A"), "C"); },
         "A",
         {"\\"}},
        {"a deleted disc has no folders",
         [](CKavrelDoc& d) { catalogue::DeleteDisc(d, catalogue::FirstDisc(d.Entries(), "A")); },
         "A",
         {"\\"}},
        {"a new catalogue has no folders", [](CKavrelDoc& d) { d.OnNewDocument(); }, "A", {"\\"}},
        {"an entry changed through its handle",
         [](CKavrelDoc& d) { d.GetEntryAt(1).SetPath("\\OTHER\\"); },
         "A",
         {"\\", "\\DOCS\\", "\\OTHER\\"}},
        {"an entry changed through the store",
         [](CKavrelDoc& d) { d.EditEntries().SetName(0, "TEXTS"); },
         "A",
         {"\\", "\\TEXTS\\", "\\DOCS\\"}},
    };
    for (const auto& c : cases) {
        doc.OnNewDocument();
        SetUp();
        const auto before = doc.Folders(catalogue::FirstDisc(doc.Entries(), c.label));
        c.change(doc);
        EXPECT_EQ(Folders(*doc.Folders(catalogue::FirstDisc(doc.Entries(), c.label))), c.folders) << c.what;
        // An index handed out before the change stays whole for whoever holds it.
        EXPECT_GE(before->FolderCount(), 1u) << c.what;
    }
}

// Browsing disc after disc keeps a handful of indexes, not one for every disc of a big catalogue.
TEST(FolderIndexCache, KeepsABoundedNumberAndRightOnesPastTheBound) {
    EntryStore store;
    for (int disc = 0; disc < 40; ++disc) {
        store.Append("D" + std::to_string(disc), "F" + std::to_string(disc), "folder ", "\\", "0");
        store.Append("", "", "", "", "");
    }
    catalogue::FolderIndexCache cache;
    for (int round = 0; round < 2; ++round) {
        for (int disc = 0; disc < 40; ++disc) {
            const std::string label = "D" + std::to_string(disc);
            const auto index = cache.Get(store, catalogue::FirstDisc(store, label));
            EXPECT_NE(index->Find("\\F" + std::to_string(disc) + "\\"), FolderIndex::kNoFolder) << label;
            EXPECT_LE(cache.Size(), 16u);
        }
    }
}

TEST_F(FolderIndexOfDocument, TwoDiscsOfOneLabelBrowseTheFirstAsItsNodeShowsIt) {
    doc.AppendEntry("A", "LATER", "folder ", "\\", "0");
    EXPECT_EQ(Folders(*doc.Folders(catalogue::FirstDisc(doc.Entries(), "A"))), (Texts{"\\", "\\DOCS\\"}));
}

}  // namespace
