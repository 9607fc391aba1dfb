#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "CliRun.h"
#include "catalogue/CKavrelDoc.h"

// What the catalogue knows beyond names and sizes, on the command line: find's limits on size, date and
// disc, one disc's details shown and set, and a damaged block of them told of.
namespace {

constexpr std::int64_t kJune2019 = 1559347200;  // 2019-06-01T00:00:00Z

class CliDetails : public ::testing::Test {
protected:
    void SetUp() override {
        CKavrelDoc doc;
        doc.AppendEntry("Photos", "SUMMER", "folder ", "\\", "0");
        doc.AppendEntry("Photos", "beach.jpg", "file ", "\\SUMMER\\", "2,097,152");
        doc.AppendEntry("Photos", "hut.jpg", "file ", "\\SUMMER\\", "1024");
        doc.AppendEntry("Photos", "old.jpg", "file ", "\\", "500");
        doc.AppendEntry("Photos", "undated.jpg", "file ", "\\", "3,000,000");
        doc.AppendEntry("Backup 12", "beach.jpg", "file ", "\\", "2,097,152");
        doc.AppendEntry("Backup 12", "odd.jpg", "file ", "\\", "12 KB");
        doc.AppendEntry("Photos", "later.jpg", "file ", "\\", "7");
        EntryStore& entries = doc.EditEntries();
        entries.SetModified(0, kJune2019);
        entries.SetModified(1, kJune2019 + 3600);
        entries.SetModified(2, kJune2019 - 1);
        entries.SetModified(3, 0);
        entries.SetModified(5, kJune2019 + 86400 * 92);
        entries.SetModified(6, kJune2019);
        entries.SetModified(7, kJune2019);
        catalogue::DiscRecord record;
        record.volumeLabel = "PHOTOS_2019";
        record.capacity = 734003200;
        record.location = "Box 3";
        doc.EditDiscRecords().Set(0, record);
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(m_file, error)) << error;
    }

    // The names find lists with these options after "find FILE *", in order.
    std::string Found(const std::vector<std::string>& options, int exitCode = 0) const {
        std::vector<std::string> args{"find", m_file, "*"};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        std::string names;
        for (std::size_t at = 0; at < run.out.size();) {
            const std::size_t end = run.out.find('\n', at);
            const std::size_t name = run.out.find('\t', at) + 1;
            names += (names.empty() ? "" : " ") + run.out.substr(name, run.out.find('\t', name) - name);
            at = end + 1;
        }
        return names;
    }

    QTemporaryDir m_dir;
    std::string m_file = m_dir.filePath("photos.cdi").toStdString();
};

TEST_F(CliDetails, FindKeepsTheHitsWithinEveryLimitGiven) {
    const struct {
        std::vector<std::string> options;
        const char* names;
    } cases[] = {
        {{}, "SUMMER beach.jpg hut.jpg old.jpg undated.jpg beach.jpg odd.jpg later.jpg"},
        // Folders have no size, nor has "12 KB"; both bounds are kept.
        {{"--min-size", "1K"}, "beach.jpg hut.jpg undated.jpg beach.jpg"},
        {{"--min-size", "1025"}, "beach.jpg undated.jpg beach.jpg"},
        {{"--max-size", "1,024"}, "hut.jpg old.jpg later.jpg"},
        {{"--min-size", "2M", "--max-size", "2M"}, "beach.jpg beach.jpg"},
        // A date is its first second; newer keeps it, older does not; unknown dates never pass.
        {{"--newer", "2019-06-01"}, "SUMMER beach.jpg beach.jpg odd.jpg later.jpg"},
        {{"--older", "2019-06-01"}, "hut.jpg old.jpg"},
        {{"--newer", "2019-06-01T00:30:00Z", "--older", "2019-09-01"}, "beach.jpg"},
        {{"--newer", "2019-06-01T02:30:00+02:00"}, "beach.jpg beach.jpg"},
        // Every disc carrying the label.
        {{"--disc", "Photos"}, "SUMMER beach.jpg hut.jpg old.jpg undated.jpg later.jpg"},
        {{"--disc", "Backup 12", "--newer", "2019-06-01", "--max-size", "3M"}, "beach.jpg"},
        {{"--disc", "Photos", "--files-only", "--newer", "2019-06-01"}, "beach.jpg later.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "(none)" : c.options.front() + " " + c.options[1]);
        EXPECT_EQ(Found(c.options), c.names);
    }
    EXPECT_EQ(Found({"--newer", "2030-01-01"}, 1), "");
}

// The values themselves are read as the search tests show; here, how find tells of one it cannot use.
TEST_F(CliDetails, FindRefusesLimitsItCannotUse) {
    const struct {
        std::vector<std::string> options;
        int exitCode;
        const char* err;
    } cases[] = {
        {{"--min-size", "1.5G"}, 2, "--min-size wants a number of bytes, or of K, M or G"},
        {{"--older", "2019-02-30"}, 2, "--older wants a date (2019-06-01) or a date and time"},
        {{"--min-size", "2K", "--max-size", "1K"}, 2, "--min-size is more than --max-size"},
        {{"--newer", "2019-06-01", "--older", "2019-06-01"}, 2, "--newer is not before --older"},
        {{"--disc", "photos"}, 1, "no disc is labelled \"photos\" in "},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"find", m_file, "*"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.options.front();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

TEST_F(CliDetails, DiscSetsLocationAndNotesAndShowsThemInEveryForm) {
    CliRun run = RunCli(
        {"disc", m_file, "Photos", "--index", "0", "--location", "Box 12, shelf 3", "--notes", "tab\there"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "location set to \"Box 12, shelf 3\" (was \"Box 3\")\nnotes set to \"tab\\there\"\n");
    run = RunCli({"disc", m_file, "Photos", "--index", "0", "--location", "Box 12, shelf 3", "--notes", ""});
    EXPECT_EQ(run.out, "location unchanged: \"Box 12, shelf 3\"\nnotes cleared (was \"tab\\there\")\n");
    // A disc without a record gets one.
    run = RunCli({"disc", m_file, "Backup 12", "--notes", "copy of Photos"});
    EXPECT_EQ(run.out, "notes set to \"copy of Photos\"\n");

    run = RunCli({"disc", m_file, "Photos", "--index", "0"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(
        run.out,
        "index\t0\nlabel\tPhotos\nentries\t5\ncatalogued\t\nsource\t\ndevice\t\nvolume_label\tPHOTOS_2019\n"
        "file_system\t\nserial\t\ncapacity\t734003200\nfree\t\nlocation\tBox 12, shelf 3\nnotes\t\n");
    run = RunCli({"disc", m_file, "Backup 12", "--json"});
    EXPECT_EQ(run.out,
              "{\"index\":5,\"label\":\"Backup 12\",\"entries\":2,\"catalogued\":null,\"source\":\"\","
              "\"device\":\"\",\"volume_label\":\"\",\"file_system\":\"\",\"serial\":\"\",\"capacity\":null,"
              "\"free\":null,\"location\":\"\",\"notes\":\"copy of Photos\"}\n");
}

// Photos at 0 and Photos at 7 are two discs: neither is shown nor changed in place of the other.
TEST_F(CliDetails, DiscRefusesALabelOfSeveralDiscsUnlessIndexChooses) {
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{}, {"--location", "Box 1"}}) {
        std::vector<std::string> args{"disc", m_file, "Photos"};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("\"Photos\" names 2 discs in " + m_file +
                               "; choose one with --index N:\n"
                               "  --index 0  (5 entries)\n  --index 7  (1 entry)"),
                  std::string::npos)
            << run.err;
    }
    CliRun run = RunCli({"disc", m_file, "Photos", "--index", "7", "--location", "Shelf 9"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FirstFields(RunCli({"discs", m_file}).out, 13),
              "Photos\t5\t\t\t\tPHOTOS_2019\t\t\t734003200\t\tBox 3\t\n"
              "Backup 12\t2\t\t\t\t\t\t\t\t\t\t\nPhotos\t1\t\t\t\t\t\t\t\t\tShelf 9\t\n");
    run = RunCli({"disc", m_file, "Photos", "--json", "--location", "x"});
    EXPECT_EQ(run.exitCode, 2);
}

TEST_F(CliDetails, ADamagedBlockOfDetailsIsToldAndTheEntriesStillListed) {
    {
        QFile file(QString::fromStdString(m_file));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(file.size() - 1));
        char last = 0;
        ASSERT_TRUE(file.getChar(&last));
        ASSERT_TRUE(file.seek(file.size() - 1));
        ASSERT_TRUE(file.putChar(static_cast<char>(last ^ 1)));
    }
    const std::string warning = "tamberol-cli: The dates and disc details in \"" + m_file +
                                "\" could not be read and were left out.\n";
    for (const char* command : {"dump", "discs"}) {
        const CliRun run = RunCli({command, m_file});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_EQ(run.err, warning) << command;
        EXPECT_NE(run.out.find("Photos"), std::string::npos) << command;
    }
    const CliRun run = RunCli({"find", m_file, "beach", "--newer", "2019-06-01"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, warning + "The file was not finded!\n");
    const auto contents = [this] {
        QFile file(QString::fromStdString(m_file));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray damaged = contents();
    const CliRun edit = RunCli({"rename", m_file, "Backup 12", "Pictures"});
    EXPECT_EQ(edit.exitCode, 1) << "a save would drop every disc's details";
    EXPECT_NE(edit.err.find("was not changed"), std::string::npos) << edit.err;
    EXPECT_TRUE(contents() == damaged);
}

}  // namespace
