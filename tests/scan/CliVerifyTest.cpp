// tamberol-cli verify: a disc read again, from a folder and from an image, compared with its catalogue.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "CliRun.h"
#include "CsvReader.h"
#include "IsoImage.h"
#include "TempFolder.h"
#include "catalogue/FileSum.h"

namespace {

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void SetTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// As root every file can be read: the unreadable file needs another user, who must then reach the rest.
CliRun RunVerify(const std::vector<std::string>& args) {
    if (geteuid() != 0) return RunCli(args);
    QStringList arguments{"--reuid=nobody", "--regid=nogroup", "--clear-groups", TAMBEROL_CLI};
    for (const std::string& arg : args) arguments << QString::fromStdString(arg);
    QProcess process;
    process.start("setpriv", arguments);
    if (!process.waitForFinished(30000)) return {};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

void OpenToAll(const std::string& root) {
    for (const auto& item : std::filesystem::recursive_directory_iterator(root))
        chmod(item.path().c_str(), item.is_directory() ? 0755 : 0644);
    chmod(root.c_str(), 0755);
}

// The first fields (result, name) of each line in byte order (a folder lists in the system's order), then
// the summary.
std::string Results(const std::string& out) {
    std::vector<std::string> lines;
    std::string fields = FirstFields(out, 2);
    for (std::size_t at = 0; at < fields.size();) {
        const std::size_t end = fields.find('\n', at);
        lines.push_back(fields.substr(at, end - at + 1));
        at = end + 1;
    }
    if (!lines.empty()) std::sort(lines.begin(), lines.end() - 1);
    std::string sorted;
    for (const std::string& line : lines) sorted += line;
    return sorted;
}

const std::string kMarker = "VERIFY-MARKER-";

class CliVerify : public ::testing::Test {
protected:
    void SetUp() override {
        m_catalogue = m_files.At("cat.cdi");
        Write(m_disc.At("SAME.TXT"), "unchanged");
        Write(m_disc.At("INPLACE.BIN"), kMarker + std::string(70000, 'a'));
        Write(m_disc.At("CUT.TXT"), "to be truncated");
        Write(m_disc.At("GONE.TXT"), "removed");
        Write(m_disc.At("LOCKED.TXT"), "locked");
        for (const char* f : {"SAME.TXT", "INPLACE.BIN", "CUT.TXT", "GONE.TXT", "LOCKED.TXT"})
            SetTime(m_disc.At(f), 1000);
    }

    void Scan(const std::string& source, const std::string& label, bool sums) {
        std::vector<std::string> args{"scan", m_catalogue, "--label", label};
        if (sums) args.push_back("--checksums");
        args.push_back(source);
        ASSERT_EQ(RunCli(args).exitCode, 0);
    }

    void ChangeTheDisc() {
        Write(m_disc.At("INPLACE.BIN"), kMarker + std::string(69999, 'a') + "b");
        Write(m_disc.At("CUT.TXT"), "to be");
        std::filesystem::remove(m_disc.At("GONE.TXT"));
        Write(m_disc.At("NEW.TXT"), "new");
        for (const char* f : {"INPLACE.BIN", "CUT.TXT", "NEW.TXT"}) SetTime(m_disc.At(f), 1000);
        OpenToAll(m_files.Root());
        OpenToAll(m_disc.Root());
        chmod(m_disc.At("LOCKED.TXT").c_str(), 0);
    }

    TempFolder m_files, m_disc;
    std::string m_catalogue;
};

}  // namespace

TEST_F(CliVerify, TellsEachFileWhatBecameOfItAndExitsOneWhenAnythingDiffers) {
    Scan(m_disc.Root(), "SUMS", true);
    Scan(m_disc.Root(), "PLAIN", false);
    const CliRun same = RunCli({"verify", m_catalogue, "SUMS"});
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_NE(same.out.find("5 same, 0 changed content, 0 changed size"), std::string::npos) << same.out;
    ChangeTheDisc();

    const struct {
        const char* label;
        std::string results;
    } cases[] = {
        {"SUMS",
         "changed content\tINPLACE.BIN\nchanged size\tCUT.TXT\nmissing\tGONE.TXT\nnew\tNEW.TXT\n"
         "same\tSAME.TXT\nunreadable\tLOCKED.TXT\n"
         "1 same, 1 changed content, 1 changed size, 0 changed date, 1 missing, 1 unreadable, 1 new\n"},
        // Without checksums nothing is read: the file changed in place and the locked one look the same.
        {"PLAIN",
         "changed size\tCUT.TXT\nmissing\tGONE.TXT\nnew\tNEW.TXT\nsame\tINPLACE.BIN\nsame\tLOCKED.TXT\n"
         "same\tSAME.TXT\n3 same, 0 changed content, 1 changed size, 0 changed date, 1 missing, 0 "
         "unreadable, "
         "1 "
         "new; contents were not compared (the disc has no checksums)\n"},
    };
    const std::string before = ReadAll(m_catalogue);
    for (const auto& c : cases) {
        const CliRun run = RunVerify({"verify", m_catalogue, c.label, m_disc.Root()});
        EXPECT_EQ(run.exitCode, 1) << c.label << run.err;
        EXPECT_EQ(Results(run.out), c.results) << c.label;
    }
    const CliRun locked = RunVerify({"verify", m_catalogue, "SUMS", m_disc.Root()});
    EXPECT_NE(locked.out.find("unreadable\tLOCKED.TXT\t\\\t6\t"), std::string::npos);
    EXPECT_NE(locked.out.find("Permission denied"), std::string::npos) << locked.out;
    EXPECT_EQ(ReadAll(m_catalogue), before) << "verify changes nothing";
}

TEST_F(CliVerify, FindsBytesFlippedInsideAFileOfAnImage) {
    const std::string image = m_files.At("disc.iso");
    ASSERT_TRUE(iso::Write(m_disc.Root(), image, iso::Names::RockRidge));
    Scan(image, "IMAGE", true);
    EXPECT_EQ(RunCli({"verify", m_catalogue, "IMAGE"}).exitCode, 0);
    std::string bytes = ReadAll(image);
    const std::size_t at = bytes.find(kMarker);
    ASSERT_NE(at, std::string::npos);
    bytes[at + kMarker.size() + 500] ^= 1;
    Write(image, bytes);
    const CliRun run = RunCli({"verify", m_catalogue, "IMAGE"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("changed content\tINPLACE.BIN"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("4 same, 1 changed content, 0 changed size"), std::string::npos) << run.out;
}

TEST_F(CliVerify, DupesByContentFindTheSameBytesWhateverTheirNames) {
    TempFolder other;
    Write(other.At("RENAMED.BIN"), ReadAll(m_disc.At("INPLACE.BIN")));
    Write(other.At("SAME.TXT"), "same name, other bytes");
    Scan(m_disc.Root(), "ONE", true);
    Scan(other.Root(), "TWO", true);
    const CliRun run = RunCli({"dupes", m_catalogue, "--content", "--csv"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(",INPLACE.BIN,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(",RENAMED.BIN,"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("SAME.TXT"), std::string::npos) << run.out;
}

TEST_F(CliVerify, UpdateWithChecksumsGivesADiscItsFirstChecksums) {
    Scan(m_disc.Root(), "PLAIN", false);
    const CliRun update = RunCli({"update", m_catalogue, "PLAIN", "--checksums"});
    EXPECT_EQ(update.exitCode, 0) << update.err;
    EXPECT_NE(
        update.out.find("0 added, 0 removed, 0 changed, 0 moved, 0 changed content, 0 unreadable; 5 new or "
                        "changed checksums; the disc is updated"),
        std::string::npos)
        << update.out;
    const CliRun verify = RunCli({"verify", m_catalogue, "PLAIN"});
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
    EXPECT_EQ(verify.out.find("contents were not compared"), std::string::npos) << verify.out;
    // Asked again, nothing differs, and the catalogue is left alone.
    const CliRun again = RunCli({"update", m_catalogue, "PLAIN", "--checksums"});
    EXPECT_NE(again.out.find("Nothing differs"), std::string::npos) << again.out;
}

// A file rewritten in place (same size and time) and one that cannot be read are rows of their own, with
// their checksums (the one the locked file keeps is the old one).
TEST_F(CliVerify, UpdateListsChangedContentAndUnreadableFiles) {
    Scan(m_disc.Root(), "SUMS", true);
    const std::string wasInPlace = catalogue::SumText(catalogue::SumOf(ReadAll(m_disc.At("INPLACE.BIN"))));
    ChangeTheDisc();
    const std::string inPlace = catalogue::SumText(catalogue::SumOf(ReadAll(m_disc.At("INPLACE.BIN"))));
    const CliRun dry = RunVerify({"update", m_catalogue, "SUMS", m_disc.Root(), "--dry-run", "--csv"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    const std::optional<CsvTable> table = ReadCsv(dry.out);
    ASSERT_TRUE(table) << dry.out;
    std::vector<std::string> rows;  // change, name, reason, checksum, old checksum
    for (std::size_t r = 1; r < table->size(); ++r) {
        const std::vector<std::string>& f = (*table)[r];
        ASSERT_EQ(f.size(), 12u);
        rows.push_back(f[0] + " " + f[1] + " " + f[9] + " " + f[10] + " " + f[11]);
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"added NEW.TXT   ", "changed CUT.TXT   ",
                                              "content INPLACE.BIN  " + inPlace + " " + wasInPlace,
                                              "removed GONE.TXT   ",
                                              "unreadable LOCKED.TXT Permission denied  " +
                                                  catalogue::SumText(catalogue::SumOf("locked"))}));
    EXPECT_NE(dry.err.find("1 added, 1 removed, 1 changed, 0 moved, 1 changed content, 1 unreadable; nothing "
                           "changed (--dry-run)"),
              std::string::npos)
        << dry.err;
}
