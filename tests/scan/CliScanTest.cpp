#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "CliRun.h"
#include "catalogue/CKavrelDoc.h"

namespace {

class CliScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("discs.cdi").toStdString();
    }
    CliRun Scan(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "scan");
        return RunCli(arguments, "G=" TAMBEROL_SAMPLES "/disc");
    }
    // label, name, kind, path, size of every entry of the file, in file order.
    std::vector<std::tuple<std::string, std::string, std::string, std::string, std::string>> Entries() {
        CKavrelDoc doc;
        std::string error;
        EXPECT_TRUE(doc.OnOpenDocument(file, error)) << error;
        std::vector<std::tuple<std::string, std::string, std::string, std::string, std::string>> rows;
        for (std::size_t i = 0; i < doc.GetEntryCount(); ++i) {
            const CCDContent e = doc.GetEntryAt(i);
            rows.emplace_back(e.GetLabel(), e.GetName(), e.GetKind(), e.GetPath(), e.GetSize());
        }
        return rows;
    }

    QTemporaryDir dir;
    std::string file;
};

}  // namespace

TEST_F(CliScanTest, TheSampleDiscGivesItsEntries) {
    const CliRun run = Scan({file, "--label", "Sample", "G:"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Search finished!!!\n11 entries added\n");
    auto rows = Entries();
    std::sort(rows.begin(), rows.end());
    using Row = std::tuple<std::string, std::string, std::string, std::string, std::string>;
    const std::vector<std::string> names = {"Annual report.txt",
                                            "B.DOC",
                                            "DOCS",
                                            "Holiday",
                                            "Letters",
                                            "PICS",
                                            "README.TXT",
                                            "beach.png",
                                            "empty.dat",
                                            "photo1.jpg",
                                            "\xC3\xA9t\xC3\xA9 \xC3\xA0 Paris.txt"};
    ASSERT_EQ(rows.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(std::get<1>(rows[i]), names[i]);
    EXPECT_NE(std::find(rows.begin(), rows.end(), Row{"Sample", "DOCS", "folder ", "\\", "0"}), rows.end());
    EXPECT_NE(std::find(rows.begin(), rows.end(), Row{"Sample", "empty.dat", "file ", "\\DOCS\\", "0"}),
              rows.end());
    EXPECT_NE(std::find(rows.begin(), rows.end(), Row{"Sample", "B.DOC", "file ", "\\DOCS\\Letters\\", "20"}),
              rows.end());
}

TEST_F(CliScanTest, ABadLabelIsAnErrorAndWritesNothing) {
    const CliRun run = Scan({file, "--label", " CD", "G:"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find("Error:empty or blan"), std::string::npos);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
    EXPECT_NE(Scan({file, "G:"}).exitCode, 0);

    // Without any optical drive a drive text is refused like the window's command; a folder still scans.
    const CliRun noDrive = RunCli({"scan", file, "--label", "CD", "E:\\"}, "");
    EXPECT_EQ(noDrive.exitCode, 1);
    EXPECT_EQ(noDrive.err, "tamberol-cli: CD/DVD Driver error!\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
    EXPECT_EQ(RunCli({"scan", file, "--label", "CD", TAMBEROL_SAMPLES "/disc"}, "").exitCode, 0);
}
