#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "catalogue/DiscEdits.h"

using edit_test::Fill;
using edit_test::Labels;

namespace {
// The disc whose node keeps row `row`, as the tree finds it.
catalogue::Disc At(const CKavrelDoc& doc, std::size_t row) {
    return catalogue::DiscAt(doc.Entries(), row);
}
}  // namespace

// Delete and rename act on one disc, never on another that carries its label.
TEST(DiscEdits, ActOnTheChosenDiscOnly) {
    using Entries = std::initializer_list<edit_test::Entry>;
    const Entries aba = {{"A", "a1"}, {"B", "b"}, {"A", "a2"}};
    const Entries gap = {{"A", "a1"}, {"", ""}, {"A", "a2"}};
    const struct {
        const char* what;
        Entries entries;
        std::size_t row;      // a row of the disc acted on
        const char* deleted;  // labels after deleting it
        const char* renamed;  // labels after renaming it to "X"
        std::size_t count;    // entries either edit touches
    } cases[] = {
        {"A B A: the first A", aba, 0, ",B,A", "X,B,A", 1},
        {"A B A: the second A", aba, 2, "A,B,", "A,B,X", 1},
        {"A and a deleted entry and A: one disc", gap, 0, ",,", "X,,X", 2},
    };
    for (const auto& c : cases) {
        CKavrelDoc doc;
        Fill(doc, c.entries);
        EXPECT_EQ(catalogue::DeleteDisc(doc, At(doc, c.row)), c.count) << c.what;
        EXPECT_EQ(Labels(doc), c.deleted) << c.what;
        EXPECT_TRUE(doc.IsModified());

        Fill(doc, c.entries);
        EXPECT_EQ(catalogue::RelabelDisc(doc, At(doc, c.row), "X"), c.count) << c.what;
        EXPECT_EQ(Labels(doc), c.renamed) << c.what;
        EXPECT_EQ(doc.GetEntryAt(c.row).GetName(), c.row == 0 ? "a1" : "a2") << "only the label changes";
    }
}

TEST(DiscEdits, NoDiscTouchesNothingButStillMarksModifiedAsBefore) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a"}, {"", ""}});
    EXPECT_EQ(catalogue::DeleteDisc(doc, At(doc, 1)), 0u);
    EXPECT_TRUE(doc.IsModified()) << "a delete marks a catalogue with entries modified";
    EXPECT_EQ(catalogue::RelabelDisc(doc, At(doc, 1), "Ghost"), 0u);
    EXPECT_EQ(Labels(doc), "A,");

    CKavrelDoc empty;
    empty.OnNewDocument();
    catalogue::DeleteDisc(empty, {});
    EXPECT_FALSE(empty.IsModified());
    catalogue::RelabelDisc(empty, {}, "B");
    EXPECT_TRUE(empty.IsModified());
}
