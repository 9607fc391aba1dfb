#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CliRun.h"
#include "IsoImage.h"
#include "StoreRows.h"
#include "TempFolder.h"
#include "catalogue/CKavrelDoc.h"

namespace {

// A watch running as its own process, read line by line as it prints.
class Watch {
public:
    Watch(const std::vector<std::string>& args, const std::string& driveMap) {
        QStringList arguments{"watch"};
        for (const std::string& arg : args) arguments << QString::fromStdString(arg);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TAMBEROL_DRIVES", QString::fromStdString(driveMap));
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(TAMBEROL_CLI), arguments);
        EXPECT_TRUE(m_process.waitForStarted());
    }
    ~Watch() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // The next line the watch prints; empty when none comes within 30 s.
    std::string Line() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!m_process.canReadLine() && std::chrono::steady_clock::now() < until)
            if (!m_process.waitForReadyRead(100) && m_process.state() == QProcess::NotRunning) break;
        std::string line = m_process.readLine().toStdString();
        if (!line.empty() && line.back() == '\n') line.pop_back();
        return line;
    }
    // Its exit code once it ended by itself; -1 when it did not end within 30 s or was killed.
    int ExitCode() {
        if (!m_process.waitForFinished(30000) || m_process.exitStatus() != QProcess::NormalExit) return -1;
        return m_process.exitCode();
    }
    std::string Errors() { return m_process.readAllStandardError().toStdString(); }
    void Signal(int signal) { ::kill(static_cast<pid_t>(m_process.processId()), signal); }
    // Bytes the process has read so far, as the system counts them.
    std::uint64_t BytesRead() {
        std::ifstream io("/proc/" + std::to_string(m_process.processId()) + "/io");
        std::string key;
        std::uint64_t value = 0;
        while (io >> key >> value)
            if (key == "rchar:") return value;
        return 0;
    }

private:
    QProcess m_process;
};

std::vector<std::string> Labels(const std::string& catalogue) {
    CKavrelDoc doc;
    std::string error;
    EXPECT_TRUE(doc.OnOpenDocument(catalogue, error)) << error;
    return DiscLabels(doc.Entries());
}

class CliWatch : public ::testing::Test {
protected:
    void SetUp() override {
        m_catalogue = m_files.At("discs.cdi");
        m_disc.File("DOCS/A.TXT", 1);
        m_disc.File("B.TXT", 2);
    }
    // Writes an image of `folder` labelled `volume` to `name` beside the catalogue.
    std::string Image(const TempFolder& folder, const std::string& name, const std::string& volume) {
        const std::string image = m_files.At(name);
        EXPECT_TRUE(iso::Write(folder.Root(), image, iso::Names::RockRidge, volume));
        return image;
    }
    // Puts a copy of `image` in the drive `drive` in one step, as a disc put in a drive arrives whole.
    void Arrive(const std::string& image, const std::string& drive) {
        std::filesystem::copy_file(image, drive + ".part", std::filesystem::copy_options::overwrite_existing);
        std::filesystem::rename(drive + ".part", drive);
    }

    TempFolder m_files, m_disc;
    std::string m_catalogue;
};

TEST_F(CliWatch, DiscsArriveOneAfterAnotherAreAddedRecognisedAndUpdated) {
    const std::string holiday = Image(m_disc, "holiday.iso", "HOLIDAY");
    TempFolder other;
    other.File("C.TXT", 3);
    const std::string work = Image(other, "work.iso", "WORK");
    const std::string drive = m_files.At("drive.iso");
    {
        Watch watch({m_catalogue, "--count", "3"}, "E=" + drive);
        const struct {
            std::string image;
            const char* line;
        } arrivals[] = {
            {holiday, "E:\\: \"HOLIDAY\" 3 entries added"},
            {work, "E:\\: \"WORK\" 1 entry added"},
            {holiday, "E:\\: \"HOLIDAY\" already catalogued as \"HOLIDAY\": skipped"},
        };
        for (const auto& arrival : arrivals) {
            Arrive(arrival.image, drive);
            EXPECT_EQ(watch.Line(), arrival.line);
            std::filesystem::remove(drive);
        }
        EXPECT_EQ(watch.ExitCode(), 0) << watch.Errors();
    }
    // The same disc with a file more: its serial (the image's dates) and label stay.
    m_disc.File("NEW.TXT", 4);
    const std::string changed = Image(m_disc, "changed.iso", "HOLIDAY");
    iso::SetVolumeDates(changed, iso::VolumeDates(holiday));
    Arrive(changed, drive);
    Watch watch({m_catalogue, "--known", "update", "--count", "1"}, "E=" + drive);
    EXPECT_EQ(watch.Line(),
              "E:\\: \"HOLIDAY\" already catalogued as \"HOLIDAY\": updated: 1 added, 0 removed, 0 changed, "
              "0 moved");
    EXPECT_EQ(watch.ExitCode(), 0);
    EXPECT_EQ(Labels(m_catalogue), (std::vector<std::string>{"HOLIDAY", "WORK"}));
    const CliRun list = RunCli({"list", m_catalogue, "HOLIDAY"});
    EXPECT_NE(list.out.find("NEW.TXT"), std::string::npos) << list.out;
}

TEST_F(CliWatch, AKillBetweenTwoDiscsLosesNoneThatWasDone) {
    const std::string drive = m_files.At("drive.iso");
    Arrive(Image(m_disc, "holiday.iso", "HOLIDAY"), drive);
    Watch watch({m_catalogue}, "E=" + drive);
    EXPECT_EQ(watch.Line(), "E:\\: \"HOLIDAY\" 3 entries added");
    watch.Signal(SIGKILL);
    EXPECT_EQ(watch.ExitCode(), -1);
    EXPECT_EQ(Labels(m_catalogue), std::vector<std::string>{"HOLIDAY"});
}

TEST_F(CliWatch, ATerminatedWatchCancelsTheDiscUnderWayAndEndsCleanly) {
    // A file the checksums take far longer to read than the test waits; sparse, so it costs no space.
    TempFolder big;
    big.File("huge.bin");
    std::filesystem::resize_file(big.At("huge.bin"), std::uintmax_t{64} << 30);
    Watch watch({m_catalogue, "--checksums"}, "F=" + big.Root());
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (watch.BytesRead() < (std::uint64_t{64} << 20) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    watch.Signal(SIGTERM);
    const std::string name = std::filesystem::path(big.Root()).filename().string();
    EXPECT_EQ(watch.Line(), "F:\\: \"" + name + "\" cancelled");
    EXPECT_EQ(watch.ExitCode(), 0) << watch.Errors();
    EXPECT_TRUE(Labels(m_catalogue).empty());
}

TEST_F(CliWatch, TwoDrivesAreWatchedAtOnce) {
    TempFolder other;
    other.File("C.TXT", 3);
    const std::string e = m_files.At("e.iso");
    const std::string f = m_files.At("f.iso");
    Watch watch({m_catalogue, "--count", "2", "--json"}, "E=" + e + ";F=" + f);
    Arrive(Image(m_disc, "one.iso", "ONE"), e);
    Arrive(Image(other, "two.iso", "TWO"), f);
    std::vector<std::string> drives;
    for (int i = 0; i < 2; ++i) {
        const QJsonObject disc = QJsonDocument::fromJson(QByteArray::fromStdString(watch.Line())).object();
        EXPECT_EQ(disc["result"].toString(), "added");
        drives.push_back(disc["drive"].toString().toStdString());
    }
    std::sort(drives.begin(), drives.end());
    EXPECT_EQ(drives, (std::vector<std::string>{"E:\\", "F:\\"}));
    EXPECT_EQ(watch.ExitCode(), 0);
    std::vector<std::string> labels = Labels(m_catalogue);
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"ONE", "TWO"}));
}

TEST_F(CliWatch, AWatchWithoutADriveOrWithWrongOptionsDoesNothing) {
    const struct {
        std::vector<std::string> args;
        std::string drives;
        int exitCode;
        const char* err;
    } cases[] = {
        {{"watch", m_catalogue}, "", 1, "there is no optical drive to watch"},
        {{"watch", m_catalogue, "--known", "ask"}, "E=" + m_disc.Root(), 2, "--known is skip or update"},
        {{"watch", m_catalogue, "--count", "0"}, "E=" + m_disc.Root(), 2, "--count needs a number"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.args, c.drives);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(m_catalogue));
    }
}

}  // namespace
