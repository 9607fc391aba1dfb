#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

#include "CdiBytes.h"
#include "DriveEnv.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscEdits.h"

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

bool Save(CKavrelDoc& doc, const std::string& path, std::string& error) {
    return doc.OnSaveDocument(path, error);
}

// Files may not grow past 1,000 bytes: the write fails with EFBIG, as one fails on a full disc.
bool SaveWithFilesOf1000Bytes(CKavrelDoc& doc, const std::string& path, std::string& error) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = doc.OnSaveDocument(path, error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return saved;
}

// Saves in a child process that runs as an ordinary user, since root writes into read-only folders.
bool SaveWithoutRoot(CKavrelDoc& doc, const std::string& path, std::string& error) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return true;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        constexpr gid_t kNobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        std::string childError;
        const bool saved = doc.OnSaveDocument(path, childError);
        const ssize_t written = write(pipeEnds[1], childError.data(), childError.size());
        _exit(saved || written < 0 ? 1 : 0);
    }
    close(pipeEnds[1]);
    error.clear();
    char buffer[512];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) error.append(buffer, got);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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

// Every failing step of a save names the system's reason; the old file stays byte for byte, nothing is
// left beside it, and the catalogue stays modified and keeps its name.
TEST_F(CKavrelDocFiles, AFailedSaveNamesTheSystemsReasonAndKeepsTheOldFile) {
    const std::string kept = PathOf("kept.cdi");
    const std::string oldBytes = SaveTwoDiscs(kept);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("a folder"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("read-only"));
    const std::string lockedFile = PathOf("read-only/locked.cdi");
    WriteFile(lockedFile, oldBytes);
    chmod(PathOf("read-only").c_str(), 0555);
    chmod(m_dir.path().toLocal8Bit().constData(), 0755);

    const struct {
        const char* what;
        std::string path;
        const char* reason;
        std::function<bool(CKavrelDoc&, const std::string&, std::string&)> save;
    } cases[] = {
        {"a missing folder", PathOf("no such folder/x.cdi"),
         "No such file or directory (while creating the new file)", Save},
        {"a file taken for a folder", kept + "/x.cdi", "Not a directory (while creating the new file)", Save},
        {"a folder in the way", PathOf("a folder"), "Is a directory (while creating the new file)", Save},
        {"a write the system refuses", kept, "File too large (while writing)", SaveWithFilesOf1000Bytes},
        {"a read-only folder", lockedFile, "Permission denied (while creating the new file)",
         SaveWithoutRoot},
    };
    for (const auto& c : cases) {
        CKavrelDoc doc;
        std::string error;
        ASSERT_TRUE(doc.OnOpenDocument(kept, error)) << error;
        for (int i = 0; i < 2000; ++i)
            doc.AppendEntry("Big", "file " + std::to_string(i), kKindFile, "\\", "1");
        EXPECT_FALSE(c.save(doc, c.path, error)) << c.what;
        EXPECT_EQ(error, "Cannot save \"" + c.path + "\": " + c.reason) << c.what;
        EXPECT_TRUE(doc.IsModified()) << c.what;
        EXPECT_EQ(doc.GetPathName(), kept) << c.what;
        EXPECT_EQ(ReadFile(kept), oldBytes) << c.what;
    }
    EXPECT_EQ(ReadFile(lockedFile), oldBytes);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
    EXPECT_EQ(QDir(m_dir.filePath("read-only")).entryList(QDir::Files).size(), 1)
        << "no temporary file left behind";
}

TEST_F(CKavrelDocFiles, SavingOverAFileKeepsItsPermissionsAndTheLinkToIt) {
    const std::string target = PathOf("target.cdi");
    SaveTwoDiscs(target);
    chmod(target.c_str(), 0640);
    const std::string link = PathOf("link.cdi");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

    CKavrelDoc doc;
    doc.AppendEntry("New", "N.TXT", kKindFile, "\\", "1");
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(link, error)) << error;
    EXPECT_EQ(QFileInfo(QString::fromStdString(link)).symLinkTarget(), QString::fromStdString(target));
    EXPECT_EQ(ReadFile(target),
              cdibytes::Count(1) + cdibytes::Entry(true, {"New", "N.TXT", "file ", "\\", "1"}));
    struct stat saved {};
    ASSERT_EQ(stat(target.c_str(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 07777, 0640u);
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

// Edits keep times and records with their discs through a save and an open: a deleted disc loses both, a
// renamed one keeps its record, a new one brings its own.
TEST_F(CKavrelDocFiles, TimesAndDiscRecordsFollowTheirDiscsThroughEditsAndASave) {
    CKavrelDoc doc;
    for (const char* label : {"A", "B", "C"}) {
        const std::size_t first = doc.GetEntryCount();
        doc.AppendEntry(label, "F1", kKindFile, "\\", "5");
        doc.AppendEntry(label, "F2", kKindFile, "\\", "6");
        doc.EditEntries().SetModified(first, 1'000 + static_cast<std::int64_t>(first));
        doc.EditEntries().SetSum(first,
                                 {EntryStore::SumState::Known, {static_cast<unsigned char>(label[0])}});
        catalogue::DiscRecord record;
        record.location = std::string("Box ") + label;
        doc.EditDiscRecords().Set(first, record);
    }
    const EntryStore& store = doc.Entries();
    catalogue::DeleteDisc(doc, catalogue::DiscAt(store, 2));        // B
    catalogue::RelabelDisc(doc, catalogue::DiscAt(store, 4), "Z");  // C
    const std::string path = PathOf("dated.cdi");
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;

    CKavrelDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path, error)) << error;
    EXPECT_EQ(reopened.OpenWarning(), "");
    const EntryStore& got = reopened.Entries();
    const std::int64_t u = EntryStore::kUnknownTime;
    const std::int64_t times[] = {1000, u, u, u, 1004, u};
    for (std::size_t i = 0; i < std::size(times); ++i) EXPECT_EQ(got.Modified(i), times[i]) << i;
    for (const std::size_t row : {0, 2, 4})
        EXPECT_EQ(got.Sum(row).state == EntryStore::SumState::Known, row != 2)
            << "the deleted disc's checksum";
    const auto location = [&](std::size_t row) {
        const catalogue::DiscRecord* record = reopened.RecordOf(catalogue::DiscAt(got, row));
        return record ? record->location : "<none>";
    };
    EXPECT_EQ(location(0), "Box A");
    EXPECT_EQ(location(4), "Box C");
    EXPECT_EQ(reopened.DiscRecords().Size(), 2u) << "the deleted disc's record is gone";
}

TEST_F(CKavrelDocFiles, ADamagedBlockOpensTheEntriesAloneAndSaysSoNamingTheFile) {
    CKavrelDoc doc;
    doc.AppendEntry("A", "F1", kKindFile, "\\", "5");
    doc.EditEntries().SetModified(0, 1'700'000'000);
    const std::string path = PathOf("damaged.cdi");
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;
    std::string bytes = ReadFile(path);
    bytes.back() = static_cast<char>(bytes.back() ^ 1);  // the checksum
    WriteFile(path, bytes);

    CKavrelDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path, error)) << error;
    EXPECT_EQ(reopened.OpenWarning(),
              "The dates and disc details in \"" + path + "\" could not be read and were left out.");
    EXPECT_EQ(reopened.GetEntryCount(), 1u);
    EXPECT_FALSE(reopened.Entries().HasDates());
    EXPECT_FALSE(reopened.IsModified());
    EXPECT_EQ(ReadFile(path), bytes) << "nothing is written until the user saves";
}
