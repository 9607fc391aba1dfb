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

// The file holds A A B A: two discs labelled A, at entries 0 and 3.
TEST_F(CliEdit, EditsActOnOneDiscAndALabelOfTwoNeedsAnIndex) {
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        const char* out;
        const char* labels;
    } cases[] = {
        {{"delete", "A", "--index", "3"}, 0, "1 entry deleted\n", "A,A,B,"},
        {{"delete", "A", "--index", "0"}, 0, "2 entries deleted\n", ",,B,A"},
        {{"rename", "A", "X", "--index", "3"}, 0, "1 entry relabelled\n", "A,A,B,X"},
        {{"rename", "B", "A"}, 0, "1 entry relabelled\n", "A,A,A,A"},
        {{"delete", "A"}, 1, "", "A,A,B,A"},
        {{"rename", "A", "X"}, 1, "", "A,A,B,A"},
        {{"delete", "A", "--index", "1"}, 1, "", "A,A,B,A"},  // not a disc's first entry
        {{"delete", "B", "--index", "3"}, 1, "", "A,A,B,A"},  // a disc of another label
        {{"delete", "A", "--index", "x"}, 1, "", "A,A,B,A"},
    };
    for (const auto& c : cases) {
        SetUp();
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.begin() + 1, m_path);
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.out, c.out) << c.arguments[0] << ' ' << c.arguments[1];
        EXPECT_EQ(Reopened(), c.labels) << c.arguments[0] << ' ' << c.arguments[1];
    }
    const CliRun refused = RunCli({"delete", m_path, "A"});
    EXPECT_NE(refused.err.find("--index 0  (2 entries)"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--index 3  (1 entry)"), std::string::npos) << refused.err;
}

// A label read from the file reaches the terminal escaped, in messages too.
TEST_F(CliEdit, ALabelOfTwoDiscsIsListedEscaped) {
    CKavrelDoc doc;
    Fill(doc, {{"\x1b]0;X\a", "a"}, {"B", "b"}, {"\x1b]0;X\a", "c"}});
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(m_path, error)) << error;
    const CliRun run = RunCli({"delete", m_path, "\x1b]0;X\a"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\"\\x1b]0;X\\x07\" names 2 discs"), std::string::npos) << run.err;
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
