#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "EditTestSupport.h"
#include "catalogue/DiscEdits.h"

using edit_test::Fill;
using edit_test::Labels;

TEST(DeleteDisc, BlanksEveryEntryOfTheLabelIncludingAnotherDiscSharingIt) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}, {"A", "a2"}, {"B", "b1"}, {"A", "a3"}});
    EXPECT_EQ(DeleteDisc(doc, "A"), 3u);
    EXPECT_EQ(Labels(doc), ",,B,");
    ASSERT_EQ(doc.GetEntryCount(), 4u);  // blanked, never removed
    for (std::size_t i : {0u, 1u, 3u}) EXPECT_TRUE(doc.GetEntryAt(i).IsDeleted()) << i;
    EXPECT_EQ(doc.GetEntryAt(2).GetName(), "b1");
    EXPECT_TRUE(doc.IsModified());
}

TEST(DeleteDisc, ComparesExactBytes) {
    CKavrelDoc doc;
    Fill(doc, {{"Backup", "x"}, {"backup", "y"}, {"Backup ", "z"}});
    EXPECT_EQ(DeleteDisc(doc, "Backup"), 1u);
    EXPECT_EQ(Labels(doc), ",backup,Backup ");
}

TEST(DeleteDisc, MarksModifiedWheneverTheCatalogueHoldsEntries) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a"}});
    EXPECT_EQ(DeleteDisc(doc, "Nothing"), 0u);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Labels(doc), "A");

    CKavrelDoc empty;
    empty.OnNewDocument();
    EXPECT_EQ(DeleteDisc(empty, "A"), 0u);
    EXPECT_FALSE(empty.IsModified());
}

TEST(RelabelEntries, RelabelsOnlyTheLabelAndMergesIntoAnExistingDisc) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}, {"B", "b1"}, {"A", "a2"}});
    EXPECT_EQ(RelabelEntries(doc, "A", "B"), 2u);
    EXPECT_EQ(Labels(doc), "B,B,B");
    EXPECT_EQ(doc.GetEntryAt(2).GetName(), "a2");
    EXPECT_EQ(doc.GetEntryAt(2).GetKind(), "file ");
    EXPECT_TRUE(doc.IsModified());
}

TEST(RelabelEntries, MarksModifiedEvenWhenNothingChanges) {
    CKavrelDoc same;
    Fill(same, {{"A", "a"}});
    EXPECT_EQ(RelabelEntries(same, "A", "A"), 1u);
    EXPECT_TRUE(same.IsModified());

    CKavrelDoc empty;
    empty.OnNewDocument();
    EXPECT_EQ(RelabelEntries(empty, "A", "B"), 0u);
    EXPECT_TRUE(empty.IsModified());
}

TEST(DiscEdits, NeverTouchBlankEntriesThroughTheEmptyLabel) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a"}, {"", ""}});
    EXPECT_EQ(RelabelEntries(doc, "", "Ghost"), 0u);
    EXPECT_EQ(DeleteDisc(doc, ""), 0u);
    EXPECT_EQ(Labels(doc), "A,");
    EXPECT_EQ(doc.GetEntryAt(0).GetName(), "a");
}

TEST(DiscEdits, SurviveSaveAndReopen) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("edits.cdi").toStdString();
    CKavrelDoc doc;
    Fill(doc, {{"A", "a"}, {"B", "b"}, {"C", "c"}});
    DeleteDisc(doc, "A");
    RelabelEntries(doc, "C", "\xe9t\xe9");  // Windows-1252 bytes stay bytes
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;

    CKavrelDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path, error)) << error;
    EXPECT_EQ(Labels(reopened), ",B,\xe9t\xe9");
    EXPECT_TRUE(reopened.GetEntryAt(0).IsDeleted());
}
