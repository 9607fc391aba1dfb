#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "EditTestSupport.h"

using edit_test::Fill;
using edit_test::Labels;

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun RunCli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(TAMBEROL_CLI), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

class CliEdit : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.filePath("cat.cdi");
        CKavrelDoc doc;
        Fill(doc, {{"A", "a1"}, {"A", "a2"}, {"B", "b1"}, {"A", "a3"}});
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(m_path.toStdString(), error)) << error;
    }
    std::string Reopened() {
        CKavrelDoc doc;
        std::string error;
        EXPECT_TRUE(doc.OnOpenDocument(m_path.toStdString(), error)) << error;
        return Labels(doc);
    }
    QByteArray Bytes() {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_path;
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
    for (const QStringList& arguments :
         {QStringList{"rename", m_path, "A", ""}, QStringList{"rename", m_path, "a", "C"},
          QStringList{"delete", m_path, "a"}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.empty());
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_EQ(Bytes(), before);
}
