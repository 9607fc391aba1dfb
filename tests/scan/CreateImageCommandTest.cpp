#include <gtest/gtest.h>

#include <string>

#include "DriveEnv.h"
#include "RecordingView.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Hints.h"
#include "scan/CreateImageCommand.h"

using scan::Outcome;
using scan::RunCreateImage;

namespace {

class CreateImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.File("A.TXT", 1500);
        tree.Folder("DOCS");
        tree.File("DOCS/B.DOC", 20);
    }
    TempFolder tree;
    DriveEnv map{"E=" + tree.Root()};
    CKavrelDoc doc;
    ScriptedMessages messages;
    RecordingView tree_view{doc};
};

}  // namespace

TEST(LabelRuleTest, EmptyOrLeadingBlankIsRefused) {
    EXPECT_FALSE(scan::IsLabelAccepted(""));
    EXPECT_FALSE(scan::IsLabelAccepted(" CD"));
    EXPECT_FALSE(scan::IsLabelAccepted(" "));
    EXPECT_TRUE(scan::IsLabelAccepted("CD "));
    EXPECT_TRUE(scan::IsLabelAccepted("My CD"));
    EXPECT_TRUE(scan::IsLabelAccepted("\tCD"));
}

TEST_F(CreateImageTest, ARefusedLabelChangesNothing) {
    doc.m_strLastLabel = "Earlier";
    for (const std::string label : {"", " CD"}) {
        EXPECT_EQ(RunCreateImage(doc, messages, label, "E:\\"), Outcome::BadLabel) << label;
    }
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Error:empty or blan", "Error:empty or blan"}));
    EXPECT_EQ(messages.shown.front().caption, "Kavrel");
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_strLastLabel, "Earlier");
    EXPECT_TRUE(tree_view.Hints().empty());
}

TEST_F(CreateImageTest, AWalkedDiscIsAppendedAnnouncedAndHinted) {
    EXPECT_EQ(RunCreateImage(doc, messages, "CD ", "E:\\"), Outcome::Done);
    EXPECT_EQ(doc.GetEntryCount(), 3u);
    EXPECT_TRUE(doc.IsModified());
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(doc.GetEntryAt(i).GetLabel(), "CD ");
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Search finished!!!"}));
    EXPECT_EQ(messages.shown[0].caption, "Kavrel");
    EXPECT_EQ(doc.m_strLastLabel, "CD ");
    // The tree learns of the disc after the message was closed, with the label already stored.
    EXPECT_EQ(tree_view.Hints(), (std::vector<int>{hint::kDiscAdded}));
    EXPECT_EQ(tree_view.heard[0].sender, nullptr);
    EXPECT_EQ(tree_view.heard[0].lastLabel, "CD ");
}

TEST_F(CreateImageTest, AnEmptyDiscStillFinishesAndHints) {
    const TempFolder empty;
    const DriveEnv emptyDisc("E=" + empty.Root());
    EXPECT_EQ(RunCreateImage(doc, messages, "Blank", "E:\\"), Outcome::Done);
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Search finished!!!"}));
    EXPECT_EQ(doc.m_strLastLabel, "Blank");
    EXPECT_EQ(tree_view.Hints(), (std::vector<int>{hint::kDiscAdded}));
}

TEST_F(CreateImageTest, TwoDiscsWithOneLabelFollowEachOther) {
    doc.AppendEntry("Old", "x", "file ", "\\", "1");
    ASSERT_EQ(RunCreateImage(doc, messages, "Same", "E:\\"), Outcome::Done);
    ASSERT_EQ(RunCreateImage(doc, messages, "Same", "E:"), Outcome::Done);
    ASSERT_EQ(doc.GetEntryCount(), 7u);
    EXPECT_EQ(doc.GetEntryAt(0).GetLabel(), "Old");
    for (std::size_t i = 1; i < 7; ++i) EXPECT_EQ(doc.GetEntryAt(i).GetLabel(), "Same");
    // Both walks give the same entries in the same order.
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(doc.GetEntryAt(i).GetName(), doc.GetEntryAt(i + 3).GetName());
        EXPECT_EQ(doc.GetEntryAt(i).GetPath(), doc.GetEntryAt(i + 3).GetPath());
    }
    EXPECT_EQ(tree_view.Hints().size(), 2u);
}
