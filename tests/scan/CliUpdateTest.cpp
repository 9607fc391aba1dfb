#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "TempFolder.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "platform/Volume.h"
#include "scan/DiscWalker.h"
#include "scan/UpdateDisc.h"

namespace {

void SetTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

QByteArray Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A catalogue of three discs, the middle one walked from a folder and given a location; the folder is then
// changed in every way an update tells apart. Folder times are pinned so that only the files differ.
class CliUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        m_catalogue = m_files.At("cat.cdi");
        m_disc.File("DOCS/A.TXT", 1);
        m_disc.File("DOCS/B.TXT", 2);
        m_disc.File("C.TXT", 3);
        m_other.File("O.TXT", 4);
        for (const char* item : {"DOCS/A.TXT", "DOCS/B.TXT", "C.TXT", "DOCS"}) SetTime(m_disc.At(item), 1000);
        for (const auto& args :
             std::vector<std::vector<std::string>>{{"scan", m_catalogue, "--label", "BEFORE", m_other.Root()},
                                                   {"scan", m_catalogue, "--label", "MINE", m_disc.Root()},
                                                   {"scan", m_catalogue, "--label", "AFTER", m_other.Root()},
                                                   {"disc", m_catalogue, "MINE", "--location", "Box 1"},
                                                   {"disc", m_catalogue, "AFTER", "--notes", "kept"}})
            ASSERT_EQ(RunCli(args).exitCode, 0);
        std::filesystem::rename(m_disc.At("DOCS/A.TXT"), m_disc.At("A.TXT"));
        m_disc.File("DOCS/B.TXT", 20);
        m_disc.File("N.TXT", 5);
        std::filesystem::remove(m_disc.At("C.TXT"));
        for (const char* item : {"A.TXT", "DOCS/B.TXT", "N.TXT", "DOCS"}) SetTime(m_disc.At(item), 1000);
    }

    TempFolder m_files, m_disc, m_other, m_empty;
    std::string m_catalogue;
};

constexpr const char* kDifferences =
    "added\tN.TXT\tfile \t\\\t5\t1970-01-01T00:16:40Z\t\t\t\t\n"
    "removed\tC.TXT\tfile \t\\\t3\t1970-01-01T00:16:40Z\t\t\t\t\n"
    "changed\tB.TXT\tfile \t\\DOCS\\\t20\t1970-01-01T00:16:40Z\t\t2\t1970-01-01T00:16:40Z\t\n"
    "moved\tA.TXT\tfile \t\\\t1\t1970-01-01T00:16:40Z\t\\DOCS\\\t\t\t\n"
    "1 added, 1 removed, 1 changed, 1 moved";

TEST_F(CliUpdate, ListsTheDifferencesThenReplacesTheDiscWhereItStands) {
    const QByteArray before = Bytes(m_catalogue);
    const CliRun dry = RunCli({"update", m_catalogue, "MINE", "--dry-run"});
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_EQ(dry.out, std::string(kDifferences) + "; nothing changed (--dry-run)\n");
    EXPECT_EQ(Bytes(m_catalogue), before);

    const CliRun json = RunCli({"update", m_catalogue, "MINE", "--dry-run", "--json"});
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 4) << json.out;

    // From the source the disc's details keep.
    const CliRun update = RunCli({"update", m_catalogue, "MINE"});
    EXPECT_EQ(update.exitCode, 0) << update.err;
    EXPECT_EQ(update.out, std::string(kDifferences) + "; the disc is updated\n");
    CKavrelDoc doc;
    std::string error;
    ASSERT_TRUE(doc.OnOpenDocument(m_catalogue, error)) << error;
    const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(doc.Entries());
    ASSERT_EQ(discs.size(), 3u);
    EXPECT_EQ(discs[1].entries, 4u);  // DOCS, B.TXT, A.TXT and N.TXT
    EXPECT_EQ(doc.RecordOf(discs[1])->location, "Box 1");
    EXPECT_EQ(doc.RecordOf(discs[2])->notes, "kept");
    EXPECT_EQ(doc.Entries().Label(discs[2].first), "AFTER");

    // Nothing differs now: the file is left as it is.
    const QByteArray updated = Bytes(m_catalogue);
    const CliRun again = RunCli({"update", m_catalogue, "MINE", m_disc.Root()});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "Nothing differs: the disc is as it was catalogued.\n");
    EXPECT_EQ(Bytes(m_catalogue), updated);
}

TEST_F(CliUpdate, ASourceThatCannotBeReadChangesNothing) {
    const QByteArray before = Bytes(m_catalogue);
    const struct {
        std::vector<std::string> arguments;
        const char* err;
    } cases[] = {
        {{"MINE", m_files.At("missing")}, "No such file or directory"},
        {{"NOPE"}, "no disc is labelled"},
        {{"MINE", m_files.At("cat.cdi")}, "cat.cdi"},         // a file that is no disc image
        {{"MINE", m_empty.Root()}, "Nothing was read from"},  // it would empty the disc
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"update", m_catalogue};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 1) << c.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(Bytes(m_catalogue), before);
    }
}

// A disc whose folder \BAD\ cannot be listed, as on a scratched disc or a folder the user may not read.
class ScratchedDisc : public platform::Volume {
public:
    bool ListFolder(std::span<const std::string> parts,
                    const std::function<void(const platform::DirItem&)>& visit) const override {
        if (!parts.empty()) return false;
        visit({"BAD", platform::kAttrDirectory, 0});
        visit({"OK.TXT", 0, 1});
        return true;
    }
    bool ReadFiles(std::span<const platform::FilePath>, platform::FileSink&,
                   const std::atomic<bool>*) const override {
        return true;
    }
};

// Its entries would otherwise count as removed, and an update would drop them from the catalogue.
TEST(UpdateRefusal, AFolderThatCannotBeListedLeavesTheDiscAsItWas) {
    scan::DiscWalker walker("D");
    EntryStore walked;
    platform::VolumeFolder folder;
    folder.volume = std::make_shared<ScratchedDisc>();
    ASSERT_TRUE(walker.Walk(folder, "E:\\", walked));
    EXPECT_EQ(walked.Size(), 2u);
    EXPECT_EQ(scan::UpdateRefusal(walker, "E:\\", walked),
              "The folder \\BAD\\ of E:\\ could not be read: the disc is left as it was.");
}

}  // namespace
