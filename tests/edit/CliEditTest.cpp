#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "CliRun.h"
#include "EditTestSupport.h"

using edit_test::Fill;
using edit_test::Labels;

namespace {

class CliEdit : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.filePath("cat.cdi").toStdString();
        CKavrelDoc doc;
        Fill(doc, {{"A", "a1"}, {"A", "a2"}, {"B", "b1"}, {"A", "a3"}});
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(m_path, error)) << error;
    }
    std::string Reopened() {
        CKavrelDoc doc;
        std::string error;
        EXPECT_TRUE(doc.OnOpenDocument(m_path, error)) << error;
        return Labels(doc);
    }
    QByteArray Bytes() {
        QFile file(QString::fromStdString(m_path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    std::string m_path;
};

}  // namespace

TEST_F(CliEdit, DeleteBlanksTheDiscInTheFileAndCountsEntries) {
    const CliRun run = RunCli({"delete", m_path, "A"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "3 entries deleted\n");
    EXPECT_EQ(Reopened(), ",,B,");
}

TEST_F(CliEdit, RenameMergesIntoAnotherDiscInTheFile) {
    const CliRun run = RunCli({"rename", m_path, "B", "A"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "1 entry relabelled\n");
    EXPECT_EQ(Reopened(), "A,A,A,A");
}

TEST_F(CliEdit, RefusesEmptyNewLabelsAndUnknownLabelsWithoutWriting) {
    const QByteArray before = Bytes();
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"rename", m_path, "A", ""},
                                                      std::vector<std::string>{"rename", m_path, "a", "C"},
                                                      std::vector<std::string>{"delete", m_path, "a"}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments[0] << ' ' << arguments[2];
        EXPECT_FALSE(run.err.empty());
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_EQ(Bytes(), before);
}
