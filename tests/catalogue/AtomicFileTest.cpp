#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

#include "catalogue/AtomicFile.h"
#include "catalogue/CKavrelDoc.h"

namespace {

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string SaveOf(const char* label, const std::string& path) {
    CKavrelDoc doc;
    doc.AppendEntry(label, "name", "file ", "\\", "1");
    std::string error;
    doc.OnSaveDocument(path, error);
    return error;
}

int FailingFlush(int) {
    errno = EIO;
    return -1;
}

}  // namespace

TEST(AtomicFile, AFlushThatFailsFailsTheSaveAndKeepsTheOldFile) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("c.cdi").toStdString();
    ASSERT_EQ(SaveOf("Old", file), "");
    const std::string old = Bytes(file);
    AtomicFile::SetFlushForTests(FailingFlush);
    const std::string error = SaveOf("New", file);
    AtomicFile::SetFlushForTests(nullptr);
    EXPECT_NE(error.find("(while flushing to the disc)"), std::string::npos) << error;
    EXPECT_EQ(Bytes(file), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(' ').toStdString(), "c.cdi");
}

// The temporary files a killed save of this catalogue left are removed by its next save; those of a running
// process, of another catalogue, or of no save at all stay.
TEST(AtomicFile, ASaveRemovesTheTemporaryFilesOfItsCatalogueThatDeadSavesLeft) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("c.cdi").toStdString();
    const std::string running = std::to_string(getpid());
    // 999999999 is above the largest process id the system hands out: no such process runs.
    const std::pair<std::string, bool> cases[] = {
        {"c.cdi.999999999-0-0.tmp", false},
        {"c.cdi.999999999-12-3.tmp", false},
        {"c.cdi." + running + "-0-0.tmp", true},
        {"d.cdi.999999999-0-0.tmp", true},
        {"c.cdi.notes.tmp", true},
        {"c.cdi.999999999-0-0.tmp.keep", true},
        {"c.cdi.999999999.tmp", true},
        {"xc.cdi.999999999-0-0.tmp", true},
    };
    for (const auto& [name, kept] : cases)
        std::ofstream(dir.filePath(QString::fromStdString(name)).toStdString());
    ASSERT_EQ(SaveOf("Disc", file), "");
    for (const auto& [name, kept] : cases)
        EXPECT_EQ(QFile::exists(dir.filePath(QString::fromStdString(name))), kept) << name;
}
