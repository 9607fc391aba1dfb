#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "catalogue/DiscEdits.h"

using edit_test::Fill;
using edit_test::Labels;

TEST(DeleteDisc, BlanksExactByteMatchesInPlaceAndMarksModifiedWheneverThereAreEntries) {
    CKavrelDoc doc;
    Fill(doc, {{"Backup", "x"}, {"backup", "y"}, {"Backup ", "z"}, {"Backup", "w"}});
    EXPECT_EQ(catalogue::DeleteDisc(doc, "Backup"), 2u);
    EXPECT_EQ(Labels(doc), ",backup,Backup ,");
    ASSERT_EQ(doc.GetEntryCount(), 4u);
    EXPECT_TRUE(doc.GetEntryAt(3).IsDeleted());
    EXPECT_EQ(doc.GetEntryAt(1).GetName(), "y");

    doc.SetModifiedFlag(false);
    EXPECT_EQ(catalogue::DeleteDisc(doc, "Nothing"), 0u);
    EXPECT_TRUE(doc.IsModified());

    CKavrelDoc empty;
    empty.OnNewDocument();
    catalogue::DeleteDisc(empty, "A");
    EXPECT_FALSE(empty.IsModified());
}

TEST(RelabelEntries, ChangesOnlyLabelsAndAlwaysMarksModified) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}, {"B", "b1"}, {"A", "a2"}});
    EXPECT_EQ(catalogue::RelabelEntries(doc, "A", "B"), 2u);
    EXPECT_EQ(Labels(doc), "B,B,B");
    EXPECT_EQ(doc.GetEntryAt(2).GetName(), "a2");
    EXPECT_EQ(doc.GetEntryAt(2).GetKind(), "file ");

    CKavrelDoc empty;
    empty.OnNewDocument();
    EXPECT_EQ(catalogue::RelabelEntries(empty, "A", "B"), 0u);
    EXPECT_TRUE(empty.IsModified());
}

TEST(DiscEdits, NeverTouchBlankEntriesThroughTheEmptyLabel) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a"}, {"", ""}});
    EXPECT_EQ(catalogue::RelabelEntries(doc, "", "Ghost"), 0u);
    EXPECT_EQ(catalogue::DeleteDisc(doc, ""), 0u);
    EXPECT_EQ(Labels(doc), "A,");
    EXPECT_EQ(doc.GetEntryAt(0).GetName(), "a");
}
