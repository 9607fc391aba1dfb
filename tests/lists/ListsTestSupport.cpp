#include "ListsTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>

#include "lists/DetailListModel.h"

namespace {

// Widgets and style icons need one application object for the whole test program.
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char arg0[] = "lists_tests";
        static char* argv[] = {arg0, nullptr};
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

FakeDrive::FakeDrive(bool withDrive) {
    m_hadPrevious = qEnvironmentVariableIsSet("TAMBEROL_DRIVES");
    m_previous = qgetenv("TAMBEROL_DRIVES").toStdString();
    // An empty map means no drive: the machine's real drives must not leak into a test.
    const std::string map = withDrive ? "E=" + m_dir.path().toStdString() : "";
    qputenv("TAMBEROL_DRIVES", QByteArray::fromStdString(map));
}

FakeDrive::~FakeDrive() {
    if (m_hadPrevious)
        qputenv("TAMBEROL_DRIVES", QByteArray::fromStdString(m_previous));
    else
        qunsetenv("TAMBEROL_DRIVES");
}

void FakeDrive::AddFile(const std::string& relative, int bytes) {
    QFile file(m_dir.filePath(QString::fromStdString(relative)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
}

void FakeDrive::AddFolder(const std::string& relative) {
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QString::fromStdString(relative)));
}

std::vector<std::string> ColumnTexts(const DetailListModel& model, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row) texts.emplace_back(model.Text(row, column));
    return texts;
}

std::vector<std::string> Headings(const DetailListModel& model) {
    std::vector<std::string> headings;
    for (int c = 0; c < model.columnCount(); ++c)
        headings.push_back(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    return headings;
}
