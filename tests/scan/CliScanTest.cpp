#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "CliRun.h"
#include "IsoImage.h"
#include "TempFolder.h"
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

namespace {

class CliImageScanTest : public CliScanTest {
protected:
    void SetUp() override {
        CliScanTest::SetUp();
        tree.File("DOCS/B.DOC", 20);
        tree.File("A.TXT", 1500);
        ASSERT_TRUE(
            iso::Write(tree.Root(), images.At("holiday.iso"), iso::Names::RockRidgeAndJoliet, "HOLIDAY"));
        ASSERT_TRUE(iso::Write(tree.Root(), images.At("copy.iso"), iso::Names::RockRidge, "COPY"));
        std::ofstream(images.At("notes.txt")) << "not a disc";
    }
    std::string Bytes() const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    TempFolder tree;
    TempFolder images;
};

}  // namespace

TEST_F(CliImageScanTest, AnImageIsCataloguedLikeTheTreeItWasMadeFrom) {
    ASSERT_EQ(Scan({file, "--label", "Image", images.At("holiday.iso")}).exitCode, 0);
    ASSERT_EQ(Scan({file, "--label", "Folder", tree.Root()}).exitCode, 0);
    auto rows = Entries();
    ASSERT_EQ(rows.size(), 6u);
    for (auto& row : rows) std::get<0>(row) = std::get<0>(row) == "Image" ? "1" : "2";
    std::sort(rows.begin(), rows.end());
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::get<0>(rows[i]), "1");
        EXPECT_EQ(
            std::tie(std::get<1>(rows[i]), std::get<2>(rows[i]), std::get<3>(rows[i]), std::get<4>(rows[i])),
            std::tie(std::get<1>(rows[i + 3]), std::get<2>(rows[i + 3]), std::get<3>(rows[i + 3]),
                     std::get<4>(rows[i + 3])));
    }
}

TEST_F(CliImageScanTest, EveryDiscScannedKeepsItsDetailsAndTheDatesOfItsEntries) {
    ASSERT_EQ(Scan({file, "--label", "Folder", tree.Root()}).exitCode, 0);
    ASSERT_EQ(Scan({file, images.At("holiday.iso"), images.At("copy.iso")}).exitCode, 0);
    CKavrelDoc doc;
    std::string error;
    ASSERT_TRUE(doc.OnOpenDocument(file, error)) << error;
    std::vector<std::pair<std::string, std::string>> sources;
    for (const auto& [first, record] : doc.DiscRecords().All())
        sources.emplace_back(record.source, record.volumeLabel);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {tree.Root(), ""}, {images.At("holiday.iso"), "HOLIDAY"}, {images.At("copy.iso"), "COPY"}};
    EXPECT_EQ(sources, expected);
    std::map<std::string, std::int64_t> folderTimes;
    for (std::size_t i = 0; i < doc.GetEntryCount(); ++i) {
        const std::string where = std::string(doc.Entries().Path(i)) + std::string(doc.Entries().Name(i));
        ASSERT_NE(doc.Entries().Modified(i), EntryStore::kUnknownTime) << where;
        if (doc.Entries().Label(i) == "Folder")
            folderTimes[where] = doc.Entries().Modified(i);
        else
            EXPECT_EQ(doc.Entries().Modified(i), folderTimes.at(where)) << where;
    }
}

TEST_F(CliImageScanTest, ManyImagesAreLabelledFromTheirVolumesAndARefusedOneFailsAfterTheOthers) {
    const CliRun run = Scan({file, images.At("holiday.iso"), images.At("notes.txt"), images.At("copy.iso")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, images.At("holiday.iso") + ": 3 entries added as \"HOLIDAY\"\n" +
                           images.At("copy.iso") + ": 3 entries added as \"COPY\"\n");
    EXPECT_EQ(run.err, "tamberol-cli: Cannot read the disc image \"" + images.At("notes.txt") +
                           "\": Unrecognized archive format\n");
    const auto rows = Entries();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(std::get<0>(rows.front()), "HOLIDAY");
    EXPECT_EQ(std::get<0>(rows.back()), "COPY");
}

TEST_F(CliImageScanTest, WhatNamesNoReadableDriveFolderOrImageFailsAndLeavesTheCatalogueAlone) {
    ASSERT_EQ(Scan({file, "--label", "Kept", tree.Root()}).exitCode, 0);
    const std::string before = Bytes();
    // G: is the sample disc (see Scan); H: is a drive with nothing in it.
    const std::vector<std::vector<std::string>> cases = {
        {"--label", "L", "/no/such/path"},
        {"--label", "L", images.At("notes.txt")},
        {"--label", "L", "H:\\"},
        {"--label", "L", "Z:\\"},
        {images.At("notes.txt")},
        {"/no/such/image.iso", images.At("notes.txt")},
        {tree.Root()},
    };
    for (const auto& arguments : cases) {
        std::vector<std::string> args = {"scan", file};
        args.insert(args.end(), arguments.begin(), arguments.end());
        const CliRun run = RunCli(args, "G=" TAMBEROL_SAMPLES "/disc;H=");
        EXPECT_EQ(run.exitCode, 1) << arguments.back();
        EXPECT_NE(run.err.find(arguments.back()), std::string::npos) << run.err;
        EXPECT_EQ(Bytes(), before) << arguments.back();
    }
    const CliRun nothing = RunCli({"scan", dir.filePath("new.cdi").toStdString(), images.At("notes.txt")});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("new.cdi")));
}

TEST_F(CliImageScanTest, ProposedLabelsAreMadeUniqueAndAGivenOneThatNamesADiscIsRefused) {
    const std::string holiday = images.At("holiday.iso");
    const std::string copy = images.At("copy.iso");
    const std::string before = "HOLIDAY\t3\nHOLIDAY (2)\t3\nCOPY\t3\nHOLIDAY (3)\t3\n";
    const struct {
        const char* why;
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
        std::string discs;  // `discs` afterwards
    } steps[] = {
        {"the same image twice in one batch",
         {holiday, holiday},
         0,
         holiday + ": 3 entries added as \"HOLIDAY\"\n" + holiday + ": 3 entries added as \"HOLIDAY (2)\"\n",
         "HOLIDAY\t3\nHOLIDAY (2)\t3\n"},
        {"labels the catalogue holds",
         {copy, holiday},
         0,
         copy + ": 3 entries added as \"COPY\"\n" + holiday + ": 3 entries added as \"HOLIDAY (3)\"\n",
         before},
        {"a given label of a disc further up", {"--label", "HOLIDAY", tree.Root()}, 1, "", before},
        {"a given label of the last disc", {"--label", "HOLIDAY (3)", tree.Root()}, 1, "", before},
        {"--same-label",
         {"--label", "HOLIDAY (3)", "--same-label", tree.Root()},
         0,
         "Search finished!!!\n3 entries added\n",
         "HOLIDAY\t3\nHOLIDAY (2)\t3\nCOPY\t3\nHOLIDAY (3)\t6\n"},
        {"--same-label without --label",
         {"--same-label", holiday},
         2,
         "",
         "HOLIDAY\t3\nHOLIDAY (2)\t3\nCOPY\t3\nHOLIDAY (3)\t6\n"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.why);
        std::vector<std::string> arguments = {file};
        arguments.insert(arguments.end(), step.arguments.begin(), step.arguments.end());
        const CliRun run = Scan(arguments);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.err;
        EXPECT_EQ(run.out, step.out);
        if (step.exitCode == 1) {
            EXPECT_EQ(
                run.err.rfind("tamberol-cli: a disc labelled \"" + step.arguments[1] + "\" is already in \"" +
                                  file + "\"; give another label, or --same-label",
                              0),
                0u)
                << run.err;
        }
        EXPECT_EQ(FirstFields(RunCli({"discs", file}).out, 2), step.discs);
    }
}

TEST_F(CliImageScanTest, HostileInputsAreRefusedAtOnceOrKeptAndSaidSo) {
    const std::string holiday = images.At("holiday.iso");
    const std::string pipe = images.At("pipe.iso");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // Joliet names with lone UTF-16 surrogates: U+20AC and U+2603 are written as 20 AC and 26 03, then made
    // D8 00 (half of a pair, unpaired) and DC 00 (the other half, alone).
    TempFolder broken;
    broken.File(
        "bad\xE2\x82\xAC"
        "name.txt",
        1);
    broken.File("dir\xE2\x98\x83/in.txt", 2);
    ASSERT_TRUE(iso::Write(broken.Root(), images.At("broken.iso"), iso::Names::Joliet, "BROKEN"));
    ASSERT_GE(iso::ReplaceBytes(images.At("broken.iso"), "\x20\xAC", std::string("\xD8\x00", 2)), 1u);
    ASSERT_GE(iso::ReplaceBytes(images.At("broken.iso"), "\x26\x03", std::string("\xDC\x00", 2)), 1u);
    // A volume label that would steer the terminal.
    ASSERT_TRUE(iso::Write(tree.Root(), images.At("steer.iso"), iso::Names::RockRidge));
    iso::SetVolumeLabel(images.At("steer.iso"), "A\x1b]0;x\x07");
    TempFolder one;
    one.File("only.txt", 5);
    const std::string refusedPipe =
        "tamberol-cli: Cannot read the disc image \"" + pipe + "\": a named pipe, not a regular file\n";
    const struct {
        const char* why;
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
        std::string err;
    } cases[] = {
        {"a named pipe in a batch",
         {file, pipe, holiday},
         1,
         holiday + ": 3 entries added as \"HOLIDAY\"\n",
         refusedPipe},
        {"a named pipe alone", {file, "--label", "P", pipe}, 1, "", refusedPipe},
        {"a character device",
         {file, "--label", "P", "/dev/null"},
         1,
         "",
         "tamberol-cli: Cannot read the disc image \"/dev/null\": a character device, not a regular file\n"},
        {"Joliet names that cannot be decoded",
         {file, images.At("broken.iso")},
         0,
         images.At("broken.iso") + ": 3 entries added as \"BROKEN\"\n",
         "tamberol-cli: 2 names in \"" + images.At("broken.iso") +
             "\" could not be read and were kept with U+FFFD\n"},
        {"Joliet names that cannot be decoded, under a label given",
         {file, "--label", "Mended", images.At("broken.iso")},
         0,
         "Search finished!!!\n3 entries added\n",
         "tamberol-cli: 2 names in \"" + images.At("broken.iso") +
             "\" could not be read and were kept with U+FFFD\n"},
        {"a control character in a volume label",
         {file, images.At("steer.iso")},
         0,
         images.At("steer.iso") + ": 3 entries added as \"A\\x1b]0;x\\x07\"\n",
         ""},
        {"one entry", {file, "--label", "One", one.Root()}, 0, "Search finished!!!\n1 entry added\n", ""},
        {"a catalogue that cannot be saved",
         {dir.filePath("missing/c.cdi").toStdString(), holiday},
         1,
         "",
         "tamberol-cli: Cannot save \"" + dir.filePath("missing/c.cdi").toStdString() +
             "\": No such file or directory (while creating the new file)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const CliRun run = Scan(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
    const auto rows = Entries();
    std::vector<std::string> mended;
    for (const auto& row : rows) {
        if (std::get<0>(row) == "BROKEN") mended.push_back(std::get<3>(row) + std::get<1>(row));
    }
    std::sort(mended.begin(), mended.end());
    EXPECT_EQ(mended, (std::vector<std::string>{"\\bad\xEF\xBF\xBDname.txt", "\\dir\xEF\xBF\xBD",
                                                "\\dir\xEF\xBF\xBD\\in.txt"}));
}
