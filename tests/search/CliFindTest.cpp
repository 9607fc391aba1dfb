#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "catalogue/CKavrelDoc.h"

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("discs.cdi").toStdString();
        CKavrelDoc doc;
        doc.AppendEntry("Disc1", "readme.txt", "file ", "\\", "1,024");
        doc.AppendEntry("Disc1", "Docs", "folder ", "\\", "0");
        doc.AppendEntry({}, {}, {}, {}, {});
        doc.AppendEntry("Disc2", "ReadMe.TXT", "file ", "\\old\\", "12");
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;
    }
    CliRun Find(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(TAMBEROL_CLI), QStringList{"find"} + arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitCode(), process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }
    QString File() const { return QString::fromStdString(path); }

    QTemporaryDir dir;
    std::string path;
};

TEST_F(CliFindTest, PrintsHitsInIndexOrderTabSeparated) {
    const CliRun run = Find({File(), "readme"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Disc1\treadme.txt\tfile \t\\\t1,024\nDisc2\tReadMe.TXT\tfile \t\\old\\\t12\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliFindTest, OptionsPickTheOperation) {
    EXPECT_EQ(Find({File(), "readme", "--case"}).out, "Disc1\treadme.txt\tfile \t\\\t1,024\n");
    EXPECT_EQ(Find({File(), "docs"}).out, "Disc1\tDocs\tfolder \t\\\t0\n");
    EXPECT_EQ(Find({File(), "docs", "--files-only"}).exitCode, 1);
    EXPECT_EQ(Find({File(), "readme", "--whole"}).exitCode, 1);
    const std::string both = "Disc1\treadme.txt\tfile \t\\\t1,024\nDisc2\tReadMe.TXT\tfile \t\\old\\\t12\n";
    EXPECT_EQ(Find({File(), "README.TXT", "--whole"}).out, both);
    EXPECT_EQ(Find({File(), "*.txt"}).out, both);
}

TEST_F(CliFindTest, NothingFoundIsAFailure) {
    const CliRun run = Find({File(), "zebra"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "The file was not finded!\n");
}

TEST_F(CliFindTest, StarWithWholeIsRefusedBeforeTheFileIsRead) {
    const CliRun run = Find({dir.filePath("missing.cdi"), "*.txt", "--whole"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "waring: Can't include characters:'*' \n");
}

TEST_F(CliFindTest, BadUseAndUnreadableFiles) {
    EXPECT_EQ(Find({File()}).exitCode, 2);
    EXPECT_EQ(Find({File(), ""}).exitCode, 2);
    EXPECT_EQ(Find({File(), "a", "--bogus"}).exitCode, 2);
    const CliRun missing = Find({dir.filePath("missing.cdi"), "a"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("missing.cdi"), std::string::npos);
}

}  // namespace
