#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <string>

#include "CdiBytes.h"
#include "DriveEnv.h"
#include "catalogue/CKavrelDoc.h"

namespace {

std::string ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return "<unreadable>";
    return file.readAll().toStdString();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class CKavrelDocFiles : public ::testing::Test {
protected:
    std::string PathOf(const char* name) const { return m_dir.filePath(name).toStdString(); }

    // A saved catalogue of two discs at `path`, and the bytes it holds.
    std::string SaveTwoDiscs(const std::string& path) {
        CKavrelDoc doc;
        doc.AppendEntry("A", "X.TXT", kKindFile, "\\", "5");
        doc.AppendEntry("B", "DOCS", kKindFolder, "\\", "0");
        std::string error;
        EXPECT_TRUE(doc.OnSaveDocument(path, error)) << error;
        return ReadFile(path);
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST(CKavrelDoc, StartsEmptyWithBlankDriveSlots) {
    CKavrelDoc doc;
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_bResultRow, 0);
    EXPECT_EQ(doc.m_strSelText, "");
    for (const std::string& slot : doc.m_strDrives) EXPECT_EQ(slot, " ");
    EXPECT_FALSE(doc.GetEntryAt(0));
    EXPECT_FALSE(doc.GetFirstEntry());
    EXPECT_FALSE(doc.GetLastEntry());
    EXPECT_EQ(doc.GetFirstLabel(), "");
}

TEST(CKavrelDoc, AddNewEntryAppendsAnEmptyEntryAndMarksModified) {
    CKavrelDoc doc;
    CCDContent entry = doc.AddNewEntry();
    ASSERT_TRUE(entry);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(entry.IsDeleted());
    entry.SetLabel("Disc");
    entry.SetName("A.TXT");
    entry.SetKind(kKindFile);
    entry.SetPath("\\");
    entry.SetSize("12");
    doc.SetModifiedFlag(false);
    ASSERT_TRUE(doc.AppendEntry("Disc", "B.TXT", kKindFile, "\\", "1,000"));
    EXPECT_TRUE(doc.IsModified());

    EXPECT_EQ(doc.GetEntryCount(), 2u);
    EXPECT_EQ(doc.GetFirstEntry().GetName(), "A.TXT");
    EXPECT_EQ(doc.GetLastEntry().GetName(), "B.TXT");
    EXPECT_EQ(doc.GetLastEntry().Index(), 1u);
    EXPECT_EQ(doc.GetEntryAt(1).GetSize(), "1,000");
    EXPECT_FALSE(doc.GetEntryAt(2));
    EXPECT_EQ(doc.GetFirstLabel(), "Disc");
}

TEST(CKavrelDoc, DeleteContentsKeepsExchangeFieldsAndDrives) {
    CKavrelDoc doc;
    doc.AppendEntry("A", "X", kKindFile, "\\", "1");
    doc.m_strSelText = "A";
    doc.m_strLastLabel = "A";
    doc.m_strDrives[0] = "E:\\";
    doc.m_bResultRow = 1;
    doc.DeleteContents();
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_EQ(doc.m_strSelText, "A");
    EXPECT_EQ(doc.m_strLastLabel, "A");
    EXPECT_EQ(doc.m_strDrives[0], "E:\\");
    EXPECT_EQ(doc.m_bResultRow, 1);
}

TEST_F(CKavrelDocFiles, SaveWritesTheFileAndOpenReadsItBack) {
    CKavrelDoc doc;
    doc.AppendEntry("A", "X.TXT", kKindFile, "\\", "5");
    const std::string path = PathOf("one.cdi");
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_EQ(doc.GetTitle(), "one.cdi");
    EXPECT_EQ(ReadFile(path), cdibytes::Count(1) + cdibytes::Entry(true, {"A", "X.TXT", "file ", "\\", "5"}));

    CKavrelDoc other;
    other.AppendEntry("old", "old", kKindFile, "\\", "1");
    ASSERT_TRUE(other.OnOpenDocument(path, error)) << error;
    EXPECT_FALSE(other.IsModified());
    EXPECT_EQ(other.GetTitle(), "one.cdi");
    ASSERT_EQ(other.GetEntryCount(), 1u);
    EXPECT_EQ(other.GetFirstLabel(), "A");
    EXPECT_EQ(other.GetEntryAt(0).GetKind(), "file ");
}

TEST_F(CKavrelDocFiles, EmptyCatalogueSavesAsTwoZeroBytesAndAnEmptyFileOpens) {
    CKavrelDoc doc;
    const std::string path = PathOf("empty.cdi");
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;
    EXPECT_EQ(ReadFile(path), std::string("\0\0", 2));

    const std::string zero = PathOf("zero.cdi");
    WriteFile(zero, "");
    doc.AppendEntry("A", "X", kKindFile, "\\", "1");
    ASSERT_TRUE(doc.OnOpenDocument(zero, error)) << error;
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "zero.cdi");
}

TEST_F(CKavrelDocFiles, ABadFileLeavesAnEmptyUntitledCatalogueAndNamesTheFile) {
    const std::string good = PathOf("good.cdi");
    SaveTwoDiscs(good);
    const std::string bad = PathOf("bad.cdi");
    WriteFile(bad, cdibytes::Count(1) + std::string("\xFF\xFF\x01\x00\x07\x00", 6) + "CObject" +
                       std::string(5, '\0'));

    CKavrelDoc doc;
    std::string error;
    ASSERT_TRUE(doc.OnOpenDocument(good, error));
    EXPECT_FALSE(doc.OnOpenDocument(bad, error));
    EXPECT_NE(error.find(bad), std::string::npos) << error;
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(CKavrelDocFiles, AFileThatCannotBeOpenedLeavesTheCatalogueAsItWas) {
    const std::string good = PathOf("good.cdi");
    SaveTwoDiscs(good);
    CKavrelDoc doc;
    std::string error;
    ASSERT_TRUE(doc.OnOpenDocument(good, error));
    doc.AppendEntry("C", "new", kKindFile, "\\", "1");

    const std::string missing = PathOf("missing.cdi");
    EXPECT_FALSE(doc.OnOpenDocument(missing, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_EQ(doc.GetEntryCount(), 3u);
    EXPECT_EQ(doc.GetPathName(), good);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(CKavrelDocFiles, AFailedSaveKeepsTheOldFileAndTheCatalogueModified) {
    CKavrelDoc doc;
    doc.AppendEntry("A", "X.TXT", kKindFile, "\\", "5");
    std::string error;

    const std::string underMissingFolder = PathOf("no such folder/x.cdi");
    EXPECT_FALSE(doc.OnSaveDocument(underMissingFolder, error));
    EXPECT_NE(error.find(underMissingFolder), std::string::npos) << error;
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), "");

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("a folder"));
    error.clear();
    EXPECT_FALSE(doc.OnSaveDocument(PathOf("a folder"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetEntryCount(), 1u);
}

TEST_F(CKavrelDocFiles, ASaveThatFailsWhileWritingLeavesTheOldFileIntact) {
    const std::string path = PathOf("kept.cdi");
    const std::string oldBytes = SaveTwoDiscs(path);

    CKavrelDoc doc;
    for (int i = 0; i < 2000; ++i) doc.AppendEntry("Big", "file " + std::to_string(i), kKindFile, "\\", "1");
    // Files may not grow past 1,000 bytes: the write fails with EFBIG as it would on a full disc.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    const bool saved = doc.OnSaveDocument(path, error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFile(path), oldBytes);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}

TEST(CKavrelDocDrives, FindCdDrivesFillsSlotsFromZeroInLetterOrder) {
    QTemporaryDir e, g;
    const DriveEnv map("G=" + g.path().toStdString() + ";E=" + e.path().toStdString());
    CKavrelDoc doc;
    EXPECT_TRUE(doc.FindCdDrives());
    EXPECT_EQ(doc.m_strDrives[0], "E:\\");
    EXPECT_EQ(doc.m_strDrives[1], "G:\\");
    for (std::size_t i = 2; i < doc.m_strDrives.size(); ++i) EXPECT_EQ(doc.m_strDrives[i], " ");
}

TEST(CKavrelDocDrives, NoDriveGivesFalseAndBlankSlots) {
    const DriveEnv map("");
    CKavrelDoc doc;
    EXPECT_FALSE(doc.FindCdDrives());
    for (const std::string& slot : doc.m_strDrives) EXPECT_EQ(slot, " ");
}
