#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>

#include "AppTestSupport.h"
#include "app/DocumentLifecycle.h"
#include "app/RecentFileList.h"
#include "catalogue/CKavrelDoc.h"

namespace {

using msg::Answer;

class LifecycleTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
    RecentFileList recent{settings};
    CKavrelDoc doc;
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    RecordingView view;
    DocumentLifecycle files{doc, messages, dialogs, recent};
    int changes = 0;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        view.SetDocument(&doc);
        files.SetOnChanged([this] { ++changes; });
    }

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

    std::string WriteCatalogue(const char* name, const char* label, int entries) {
        return ::WriteCatalogue(Path(name), label, entries);
    }

    void Modify() { doc.AppendEntry("MINE", "X.TXT", kKindFile, "\\", "5"); }

    // A file that is not a catalogue: its count claims more entries than it holds.
    QString WriteBadCatalogue(const char* name) {
        QFile bad(dir.filePath(name));
        EXPECT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("\x05\x00garbage", 9);
        return bad.fileName();
    }
};

// --- The save prompt, on every way a modified catalogue can be dropped ---

enum class Trigger { New, Open, Recent, OpenFile, Close };

struct PromptCase {
    Trigger trigger;
    Answer answer;
};

class SavePromptTest : public LifecycleTest, public ::testing::WithParamInterface<PromptCase> {
protected:
    std::string other;

    void SetUp() override {
        LifecycleTest::SetUp();
        other = WriteCatalogue("other.cdi", "OTHER", 3);
        recent.Add(QString::fromStdString(other));
        dialogs.openPath = other;
        Modify();
    }

    bool Run(Trigger trigger) {
        switch (trigger) {
            case Trigger::New:
                return files.FileNew();
            case Trigger::Open:
                return files.FileOpen();
            case Trigger::Recent:
                return files.OpenRecentFile(0);
            case Trigger::OpenFile:
                return files.OpenDocumentFile(other);
            case Trigger::Close:
                return files.SaveModified();
        }
        return false;
    }
};

TEST_P(SavePromptTest, AnswerDecidesWhetherTheCatalogueIsKeptSavedOrDropped) {
    const auto [trigger, answer] = GetParam();
    messages.answers = {answer};
    dialogs.savePath = Path("saved");
    const int updatesBefore = view.initialUpdates;

    const bool wentOn = Run(trigger);

    ASSERT_GE(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Save changes to Untitled?");
    EXPECT_EQ(messages.shown[0].caption, "Kavrel");
    EXPECT_EQ(messages.shown[0].buttons, msg::Buttons::YesNoCancel);
    if (answer == Answer::Cancel) {
        EXPECT_FALSE(wentOn);
        EXPECT_EQ(doc.GetEntryCount(), 1u);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.GetTitle(), "Untitled");
        EXPECT_EQ(view.initialUpdates, updatesBefore);
        return;
    }
    EXPECT_TRUE(wentOn);
    // Yes on an untitled catalogue asks for a name and saves there, ".cdi" added.
    EXPECT_EQ(QFile::exists(QString::fromStdString(Path("saved.cdi"))), answer == Answer::Yes);
    EXPECT_EQ(dialogs.saveAsked, answer == Answer::Yes ? 1 : 0);
    if (trigger == Trigger::Close) {
        EXPECT_EQ(doc.IsModified(), answer == Answer::No);
        return;
    }
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(view.initialUpdates, updatesBefore + 1);
    if (trigger == Trigger::New) {
        EXPECT_EQ(doc.GetEntryCount(), 0u);
        EXPECT_EQ(doc.GetTitle(), "Untitled");
    } else {
        EXPECT_EQ(doc.GetEntryCount(), 3u);
        EXPECT_EQ(doc.GetTitle(), "other.cdi");
    }
}

std::string CaseName(const ::testing::TestParamInfo<PromptCase>& info) {
    static const char* triggers[] = {"New", "Open", "Recent", "OpenFile", "Close"};
    static const char* answers[] = {"Ok", "Yes", "No", "Cancel"};
    return std::string(triggers[static_cast<int>(info.param.trigger)]) +
           answers[static_cast<int>(info.param.answer)];
}

std::vector<PromptCase> AllCases() {
    std::vector<PromptCase> cases;
    for (Trigger t : {Trigger::New, Trigger::Open, Trigger::Recent, Trigger::OpenFile, Trigger::Close})
        for (Answer a : {Answer::Yes, Answer::No, Answer::Cancel}) cases.push_back({t, a});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryPath, SavePromptTest, ::testing::ValuesIn(AllCases()), CaseName);

TEST_F(LifecycleTest, UnmodifiedCatalogueIsDroppedWithoutAsking) {
    EXPECT_TRUE(files.FileNew());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LifecycleTest, FailedSaveAfterYesKeepsTheCatalogue) {
    Modify();
    messages.answers = {Answer::Yes};
    dialogs.savePath = Path("no-such-folder/x.cdi");
    EXPECT_FALSE(files.FileNew());
    EXPECT_EQ(doc.GetEntryCount(), 1u);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(messages.shown.size(), 2u);  // the prompt, then why the save failed
}

TEST_F(LifecycleTest, CancelledSaveDialogAfterYesKeepsTheCatalogue) {
    Modify();
    messages.answers = {Answer::Yes};
    EXPECT_FALSE(files.SaveModified());
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(LifecycleTest, PromptNamesTheFileOfATitledCatalogue) {
    doc.AppendEntry("A", "X", kKindFile, "\\", "1");
    messages.answers = {};
    dialogs.savePath = Path("named.cdi");
    ASSERT_TRUE(files.FileSave());
    Modify();
    messages.answers = {Answer::Cancel};
    EXPECT_FALSE(files.FileNew());
    EXPECT_EQ(messages.shown.back().text, "Save changes to " + Path("named.cdi") + "?");
}

// --- Save and Save As ---

TEST_F(LifecycleTest, SaveAsAddsTheExtensionOnlyWhenMissing) {
    Modify();
    dialogs.savePath = Path("first");
    ASSERT_TRUE(files.FileSaveAs());
    EXPECT_EQ(doc.GetPathName(), Path("first.cdi"));
    EXPECT_EQ(doc.GetTitle(), "first.cdi");
    EXPECT_EQ(dialogs.lastSuggestion, "Untitled.cdi");

    dialogs.savePath = Path("second.CDI");
    ASSERT_TRUE(files.FileSaveAs());
    EXPECT_EQ(doc.GetPathName(), Path("second.CDI"));
    EXPECT_EQ(dialogs.lastSuggestion, Path("first.cdi"));
    EXPECT_EQ(changes, 2);
}

// The dialog only confirmed replacing the name typed; the catalogue that already has the full name stays.
TEST_F(LifecycleTest, SaveAsAsksBeforeReplacingACatalogueItsExtensionNames) {
    const std::string kept = WriteCatalogue("kept.cdi", "KEPT", 3);
    Modify();
    dialogs.savePath = Path("kept");
    messages.answers = {Answer::No};
    EXPECT_FALSE(files.FileSaveAs());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kept + " already exists.\nDo you want to replace it?");
    EXPECT_TRUE(doc.GetPathName().empty());
    CKavrelDoc reread;
    std::string error;
    ASSERT_TRUE(reread.OnOpenDocument(kept, error)) << error;
    EXPECT_EQ(reread.GetEntryCount(), 3u);

    messages.answers = {Answer::Yes};
    ASSERT_TRUE(files.FileSaveAs());
    EXPECT_EQ(doc.GetPathName(), kept);
}

TEST_F(LifecycleTest, SaveOfANamedCatalogueDoesNotAsk) {
    Modify();
    dialogs.savePath = Path("cat.cdi");
    ASSERT_TRUE(files.FileSave());
    Modify();
    ASSERT_TRUE(files.FileSave());
    EXPECT_EQ(dialogs.saveAsked, 1);
    CKavrelDoc reread;
    std::string error;
    ASSERT_TRUE(reread.OnOpenDocument(Path("cat.cdi"), error)) << error;
    EXPECT_EQ(reread.GetEntryCount(), 2u);
}

TEST_F(LifecycleTest, CancelledSaveAsChangesNothing) {
    Modify();
    EXPECT_FALSE(files.FileSaveAs());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetPathName().empty());
    EXPECT_TRUE(recent.IsEmpty());
}

// --- Open failures ---

// A file that cannot be read leaves the catalogue as it was; one that reads badly leaves a new untitled one.
TEST_F(LifecycleTest, FailedOpenIsReportedNamingTheFile) {
    WriteBadCatalogue("bad.cdi");
    const struct {
        const char* file;
        std::size_t entries;
        const char* title;
        int newViews;
    } cases[] = {{"missing.cdi", 2, "good.cdi", 0}, {"bad.cdi", 0, "Untitled", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(files.OpenDocumentFile(WriteCatalogue("good.cdi", "G", 2)));
        messages.shown.clear();
        const int updates = view.initialUpdates;
        EXPECT_FALSE(files.OpenDocumentFile(Path(c.file)));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].text.find(c.file), std::string::npos);
        EXPECT_EQ(doc.GetEntryCount(), c.entries);
        EXPECT_EQ(doc.GetTitle(), c.title);
        EXPECT_EQ(doc.GetPathName().empty(), c.newViews == 1);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(view.initialUpdates, updates + c.newViews);
    }
}

TEST_F(LifecycleTest, OpenAtStartOpensWithoutPromptAndFailsOnAMissingFile) {
    Modify();
    EXPECT_TRUE(files.OpenAtStart(WriteCatalogue("start.cdi", "S", 4)));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(doc.GetEntryCount(), 4u);
    EXPECT_FALSE(files.OpenAtStart(Path("nowhere.cdi")));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(LifecycleTest, CancelledOpenDialogKeepsEverythingWithoutAsking) {
    Modify();
    EXPECT_FALSE(files.FileOpen());
    EXPECT_EQ(dialogs.openAsked, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(doc.GetEntryCount(), 1u);
}

TEST_F(LifecycleTest, ADamagedBlockOfDatesIsReportedOnceAfterEveryWayOfOpening) {
    // A catalogue with a date and a disc record, its block's checksum then broken.
    CKavrelDoc written;
    written.AppendEntry("D", "A.TXT", kKindFile, "\\", "1");
    written.EditEntries().SetModified(0, 1'600'000'000);
    catalogue::DiscRecord record;
    record.location = "Box 1";
    written.EditDiscRecords().Set(0, record);
    std::string error;
    const std::string path = Path("damaged.cdi");
    ASSERT_TRUE(written.OnSaveDocument(path, error)) << error;
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() - 1);
    file.write("\x5A", 1);
    file.close();
    const std::string warning =
        "The dates and disc details in \"" + path + "\" could not be read and were left out.";

    const std::function<bool()> opens[] = {[&] { return files.OpenDocumentFile(path); },
                                           [&] { return files.OpenAtStart(path); },
                                           [&] { return files.OpenRecentFile(0); }};
    for (const auto& open : opens) {
        messages.shown.clear();
        ASSERT_TRUE(open());
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{warning});
        EXPECT_EQ(messages.shown[0].icon, msg::Icon::Exclamation);
        EXPECT_EQ(doc.GetEntryCount(), 1u) << "the entries are there";
    }
    // An intact catalogue says nothing.
    messages.shown.clear();
    ASSERT_TRUE(files.OpenDocumentFile(WriteCatalogue("good.cdi", "G", 2)));
    EXPECT_TRUE(messages.shown.empty());
}

// --- Recent files through the lifecycle ---

TEST_F(LifecycleTest, OpeningAndSavingPutTheFileOnTopOfTheRecentList) {
    const std::string a = WriteCatalogue("a.cdi", "A", 1);
    const std::string b = WriteCatalogue("b.cdi", "B", 1);
    ASSERT_TRUE(files.OpenDocumentFile(a));
    ASSERT_TRUE(files.OpenDocumentFile(b));
    dialogs.savePath = Path("c");
    ASSERT_TRUE(files.FileSaveAs());
    EXPECT_EQ(recent.Paths(),
              (QStringList{dir.filePath("c.cdi"), dir.filePath("b.cdi"), dir.filePath("a.cdi")}));
    ASSERT_TRUE(files.OpenRecentFile(2));
    EXPECT_EQ(doc.GetTitle(), "a.cdi");
    EXPECT_EQ(recent.Paths().front(), dir.filePath("a.cdi"));
}

TEST_F(LifecycleTest, VanishedRecentFileIsReportedAndRemovedWithoutPrompt) {
    const std::string gone = WriteCatalogue("gone.cdi", "G", 1);
    recent.Add(QString::fromStdString(gone));
    QFile::remove(QString::fromStdString(gone));
    Modify();

    EXPECT_FALSE(files.OpenRecentFile(0));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("gone.cdi"), std::string::npos);
    EXPECT_TRUE(recent.IsEmpty());
    EXPECT_EQ(doc.GetEntryCount(), 1u);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(LifecycleTest, RecentFileThatProvesBadIsRemoved) {
    recent.Add(WriteBadCatalogue("bad.cdi"));
    EXPECT_FALSE(files.OpenRecentFile(0));
    EXPECT_TRUE(recent.IsEmpty());
    EXPECT_FALSE(files.OpenRecentFile(0));
}

}  // namespace
