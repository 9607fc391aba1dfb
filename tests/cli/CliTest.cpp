#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <thread>

#include "CliRun.h"
#include "catalogue/CKavrelDoc.h"

namespace {

struct Row {
    const char* label;
    const char* name;
    const char* kind;
    const char* path;
    const char* size;
};

class Cli : public ::testing::Test {
protected:
    // Saves a catalogue of these rows and returns its path.
    std::string Catalogue(const char* file, std::initializer_list<Row> rows) {
        CKavrelDoc doc;
        for (const Row& row : rows) doc.AppendEntry(row.label, row.name, row.kind, row.path, row.size);
        const std::string path = m_dir.filePath(file).toStdString();
        std::string error;
        EXPECT_TRUE(doc.OnSaveDocument(path, error)) << error;
        return path;
    }
    std::string PathOf(const char* file) const { return m_dir.filePath(file).toStdString(); }

    QTemporaryDir m_dir;
};

constexpr Row kDeleted{"", "", "", "", ""};
// The fields `discs` shows of a disc without a record: ten empty ones.
const std::string kNoRecord(10, '\t');

}  // namespace

TEST_F(Cli, DumpPrintsEveryEntryInFileOrderDeletedOnesIncluded) {
    const std::string file = Catalogue(
        "d.cdi",
        {{"A", "X.TXT", "file ", "\\", "5"}, kDeleted, {"Disc \xE9", "caf\xE9", "folder ", "\\DOCS\\", "0"}});
    const CliRun r = RunCli({"dump", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Windows-1252 bytes are shown as the window shows them.
    EXPECT_EQ(r.out,
              "0\tA\tX.TXT\tfile \t\\\t5\t\n"
              "1\t\t\t\t\t\t\n"
              "2\tDisc \xC3\xA9\tcaf\xC3\xA9\tfolder \t\\DOCS\\\t0\t\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, DumpJsonIsOneEscapedUtf8ObjectPerLine) {
    const std::string file = Catalogue("j.cdi", {{"Say \"hi\"", "tab\there", "file ", "\\a\\", "1,024"},
                                                 {"caf\xE9", "\xC3\xA9t\xC3\xA9\x01", "file ", "\\", "0"},
                                                 kDeleted});
    const CliRun r = RunCli({"dump", "--json", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"index\":0,\"label\":\"Say \\\"hi\\\"\",\"name\":\"tab\\there\",\"kind\":\"file \","
              "\"path\":\"\\\\a\\\\\",\"size\":\"1,024\",\"modified\":null}\n"
              "{\"index\":1,\"label\":\"caf\xC3\xA9\",\"label_hex\":\"636166e9\",\"name\":"
              "\"\xC3\xA9t\xC3\xA9\\u0001\","
              "\"kind\":\"file \","
              "\"path\":\"\\\\\",\"size\":\"0\",\"modified\":null}\n"
              "{\"index\":2,\"label\":\"\",\"name\":\"\",\"kind\":\"\",\"path\":\"\",\"size\":\"\","
              "\"modified\":null}\n");
}

TEST_F(Cli, DiscsStartAtEveryNonEmptyLabelThatDiffersFromTheLastOne) {
    const std::string file = Catalogue("discs.cdi", {{"A", "1", "file ", "\\", "1"},
                                                     {"A", "2", "file ", "\\", "1"},
                                                     kDeleted,
                                                     {"A", "3", "file ", "\\", "1"},
                                                     {"B", "4", "file ", "\\", "1"},
                                                     {"A", "5", "file ", "\\", "1"},
                                                     kDeleted});
    const CliRun r = RunCli({"discs", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "A\t3" + kNoRecord + "\nB\t1" + kNoRecord + "\nA\t1" + kNoRecord + "\n");

    const CliRun empty = RunCli({"discs", Catalogue("empty.cdi", {})});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
}

// A disc lists what its node stands for: a deleted entry does not split it, and --index names a disc
// of a label that several carry.
TEST_F(Cli, ListShowsTheFirstDiscOfTheLabelOrTheOneIndexNames) {
    const std::string file = Catalogue("list.cdi", {{"B", "b0", "file ", "\\", "1"},
                                                    {"A", "DOCS", "folder ", "\\", "0"},
                                                    {"A", "a.txt", "file ", "\\DOCS\\", "1,000"},
                                                    {"B", "b1", "file ", "\\", "1"},
                                                    {"A", "later", "file ", "\\", "1"},
                                                    {"C", "c0", "file ", "\\", "1"},
                                                    kDeleted,
                                                    {"C", "c1", "file ", "\\", "1"}});
    CliRun r = RunCli({"list", file, "A"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "DOCS\tfolder \t\\\t0\t\na.txt\tfile \t\\DOCS\\\t1,000\t\n");
    r = RunCli({"list", file, "C"});
    EXPECT_EQ(r.out, "c0\tfile \t\\\t1\t\nc1\tfile \t\\\t1\t\n");
    r = RunCli({"list", file, "A", "--index", "4"});
    EXPECT_EQ(r.out, "later\tfile \t\\\t1\t\n");

    r = RunCli({"list", file, "a"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tamberol-cli: no disc is labelled \"a\" in " + file + "\n");
}

TEST_F(Cli, ListFolderShowsThatFoldersOwnEntriesOfTheListedRun) {
    const std::string file = Catalogue("folder.cdi", {{"A", "top", "file ", "\\", "1"},
                                                      {"A", "DOCS", "folder ", "\\", "0"},
                                                      {"A", "a.txt", "file ", "\\DOCS\\", "1,000"},
                                                      {"A", "SUB", "folder ", "\\DOCS\\", "0"},
                                                      {"A", "deep", "file ", "\\DOCS\\SUB\\", "2"},
                                                      {"A", "b.txt", "file ", "\\DOCS\\", "3"},
                                                      {"A", "EMPTY", "folder ", "\\", "0"},
                                                      {"B", "other", "file ", "\\DOCS\\", "4"},
                                                      {"A", "later", "file ", "\\LATER\\", "5"}});
    const struct {
        const char* folder;
        int exitCode;
        const char* out;
    } cases[] = {
        {"\\DOCS\\", 0,
         "a.txt\tfile \t\\DOCS\\\t1,000\t\nSUB\tfolder \t\\DOCS\\\t0\t\nb.txt\tfile \t\\DOCS\\\t3\t\n"},
        {"DOCS", 0,
         "a.txt\tfile \t\\DOCS\\\t1,000\t\nSUB\tfolder \t\\DOCS\\\t0\t\nb.txt\tfile \t\\DOCS\\\t3\t\n"},
        {"\\DOCS\\SUB\\", 0, "deep\tfile \t\\DOCS\\SUB\\\t2\t\n"},
        {"\\", 0, "top\tfile \t\\\t1\t\nDOCS\tfolder \t\\\t0\t\nEMPTY\tfolder \t\\\t0\t\n"},
        {"\\EMPTY\\", 0, ""},
        {"\\docs\\", 1, ""},
        {"\\LATER\\", 1, ""},  // the second run of A is not the listed disc
    };
    for (const auto& c : cases) {
        const CliRun r = RunCli({"list", file, "A", "--folder", c.folder});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.folder << r.err;
        EXPECT_EQ(r.out, c.out) << c.folder;
        if (c.exitCode == 1) {
            EXPECT_EQ(r.err, "tamberol-cli: no folder \"" + std::string(c.folder) +
                                 "\" on the disc labelled \"A\" in " + file + "\n");
        }
    }
    EXPECT_EQ(RunCli({"list", file, "Z", "--folder", "\\"}).exitCode, 1);
    EXPECT_EQ(RunCli({"list", file, "A", "--folder"}).exitCode, 2);
    // The other forms list the same folder; a folder that is not there writes not even a header row.
    EXPECT_EQ(RunCli({"list", file, "A", "--folder", "\\", "--csv"}).out,
              "index,label,name,kind,path,size,modified\r\n0,A,top,\"file \",\\,1,\r\n1,A,DOCS,\"folder "
              "\",\\,0,\r\n"
              "6,A,EMPTY,\"folder \",\\,0,\r\n");
    const CliRun missing = RunCli({"list", file, "A", "--folder", "\\docs\\", "--json"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
}

TEST_F(Cli, DoubleDashLetsALabelBeginWithDashes) {
    const std::string file = Catalogue("dash.cdi", {{"--odd", "x", "file ", "\\", "1"}});
    const CliRun r = RunCli({"list", file, "--", "--odd"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "x\tfile \t\\\t1\t\n");
}

TEST_F(Cli, MissingOrMalformedFilesFailNamingTheFileAndTheFault) {
    const std::string missing = PathOf("missing.cdi");
    CliRun r = RunCli({"dump", missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;

    const std::string bad = PathOf("bad.cdi");
    {
        QFile out(QString::fromStdString(bad));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(
            QByteArray("\x01\x00\xFF\xFF\x02\x00\x0A\x00"
                       "CCDContent\0\0\0\0\0",
                       23));
    }
    for (const char* command : {"dump", "discs"}) {
        r = RunCli({command, bad});
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_EQ(r.out, "") << command;
        EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("schema"), std::string::npos) << r.err;
    }
    r = RunCli({"list", bad, "A"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
}

TEST_F(Cli, ASaveTheSystemRefusesNamesItsReasonAndKeepsTheFile) {
    const std::string file = PathOf("big.cdi");
    {
        CKavrelDoc doc;
        for (int i = 0; i < 300; ++i) doc.AppendEntry("A", "file " + std::to_string(i), "file ", "\\", "1");
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(file, error)) << error;
    }
    QFile before(QString::fromStdString(file));
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = before.readAll();
    // Files may not grow past 1,024 bytes in the shell that starts the tool: the write fails as on a full
    // disc.
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 2; exec \"$0\" \"$@\""),
                   QStringLiteral(TAMBEROL_CLI), QStringLiteral("rename"), QString::fromStdString(file),
                   QStringLiteral("A"), QStringLiteral("B")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError().toStdString(),
              "tamberol-cli: Cannot save \"" + file + "\": File too large (while writing)\n");
    QFile after(QString::fromStdString(file));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), oldBytes);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}

TEST_F(Cli, AKilledSaveLeavesTheCatalogueWholeAndNothingBesideIt) {
    const std::string file = PathOf("killed.cdi");
    constexpr std::size_t kEntries = 300000;
    {
        CKavrelDoc doc;
        for (std::size_t i = 0; i < kEntries; ++i)
            doc.AppendEntry("A", "file " + std::to_string(i), "file ", "\\", "1");
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(file, error)) << error;
    }
    const auto rename = [&](const char* from, const char* to) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(TAMBEROL_CLI),
                       {QStringLiteral("rename"), QString::fromStdString(file), from, to});
        EXPECT_TRUE(process->waitForStarted());
        return process;
    };
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(rename("A", "B")->waitForFinished(30000));
    const auto whole = std::chrono::nanoseconds(timer.nsecsElapsed());
    // Kills at moments spread evenly over a whole rename, from the start of the process to its end.
    const char* labels[] = {"B", "A"};
    constexpr int kRounds = 16;
    for (int round = 0; round < kRounds; ++round) {
        const auto process = rename(labels[0], labels[1]);
        std::this_thread::sleep_for(whole * (2 * round + 1) / (2 * kRounds));
        ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
        process->waitForFinished();
        if (process->exitStatus() == QProcess::NormalExit) std::swap(labels[0], labels[1]);
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).join(' ').toStdString(), "killed.cdi");
    CKavrelDoc doc;
    std::string error;
    ASSERT_TRUE(doc.OnOpenDocument(file, error)) << error;
    EXPECT_EQ(doc.GetEntryCount(), kEntries);
}

TEST_F(Cli, AReaderThatStopsEarlyEndsTheCommandQuietly) {
    const std::string file = PathOf("long.cdi");
    {
        CKavrelDoc doc;
        for (int i = 0; i < 20000; ++i) doc.AppendEntry("A", "file " + std::to_string(i), "file ", "\\", "1");
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(file, error)) << error;
    }
    // As `head` leaves a pipe, with the signal that ends a writer on it and with that signal ignored.
    for (const char* signal : {"", "trap '' PIPE; "}) {
        QProcess process;
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QString(signal) + "\"$0\" dump \"$1\" | head -n 1",
                       QStringLiteral(TAMBEROL_CLI), QString::fromStdString(file)});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.readAllStandardOutput(), "0\tA\tfile 0\tfile \t\\\t1\t\n") << signal;
        EXPECT_EQ(process.readAllStandardError(), "") << signal;
    }
}

TEST(CliUsage, WrongUsageExitsWithTwoAndShowsTheUsage) {
    CliRun r = RunCli({});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("usage: tamberol-cli COMMAND"), std::string::npos) << r.err;

    r = RunCli({"frobnicate"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("unknown command \"frobnicate\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;

    r = RunCli({"dump"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "tamberol-cli dump: missing arguments\nusage: tamberol-cli dump FILE [--json|--csv]\n");
    r = RunCli({"dump", "a.cdi", "b.cdi"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "tamberol-cli dump: too many arguments\nusage: tamberol-cli dump FILE [--json|--csv]\n");
    r = RunCli({"discs", "--sizes", "--json", "--csv", "a.cdi"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--json and --csv exclude each other"), std::string::npos) << r.err;
    r = RunCli({"list", "--tree", "a.cdi", "A"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown option --tree"), std::string::npos) << r.err;
}

TEST(CliUsage, HelpListsEveryCommand) {
    CliRun r = RunCli({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* line : {"tamberol-cli dump FILE [--json|--csv]", "tamberol-cli discs FILE [--sizes]",
                             "tamberol-cli list FILE LABEL", "tamberol-cli drives", "tamberol-cli dupes FILE",
                             "tamberol-cli disc FILE LABEL [--index N] [--location TEXT] [--notes TEXT]"}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    }
    r = RunCli({"list", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(
        r.out.rfind("usage: tamberol-cli list FILE LABEL [--index N] [--folder PATH] [--json|--csv]\n", 0),
        0u)
        << r.out;
}

TEST(CliDrives, ListsEachDriveRootAndItsFolder) {
    QTemporaryDir e;
    const std::string map = "F=/srv/nowhere;E=" + e.path().toStdString();
    CliRun r = RunCli({"drives"}, map);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "E:\\\t" + e.path().toStdString() + "\nF:\\\t/srv/nowhere\n");

    r = RunCli({"drives"}, "");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tamberol-cli: no CD/DVD drive found\n");
}
