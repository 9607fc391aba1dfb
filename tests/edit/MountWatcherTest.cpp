#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "platform/MountTable.h"
#include "platform/MountWatcher.h"

using platform::MountRecord;
using platform::NewMounts;
using platform::ParseMountInfo;

namespace {

const char* const kBefore =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "25 22 0:21 / /proc rw,nosuid - proc proc rw\n";
const char* const kDiscLine =
    "41 22 11:0 / /media/user/My\\040Disc ro,nosuid,nodev,relatime shared:310 master:1 - udf /dev/sr0 ro\n";

std::vector<std::string> MountPoints(const std::vector<MountRecord>& records) {
    std::vector<std::string> points;
    for (const MountRecord& r : records) points.push_back(r.mountPoint);
    return points;
}

}  // namespace

TEST(ParseMountInfo, ReadsFieldsAroundOptionalTagsAndDecodesEscapes) {
    const auto records = ParseMountInfo(std::string(kBefore) + kDiscLine);
    ASSERT_EQ(records.size(), 3u);
    const MountRecord& disc = records[2];
    EXPECT_EQ(disc.id, 41u);
    EXPECT_EQ(disc.device, "11:0");
    EXPECT_EQ(disc.mountPoint, "/media/user/My Disc");
    EXPECT_EQ(disc.fsType, "udf");
    EXPECT_EQ(disc.source, "/dev/sr0");
}

TEST(ParseMountInfo, DecodesEveryEscapeAFieldCanHoldEvenAtItsEnd) {
    const std::pair<const char*, const char*> cases[] = {
        {"/media/cd\\040", "/media/cd "},
        {"/media/\\040cd", "/media/ cd"},
        {"/media/a\\011b\\012c\\134", "/media/a\tb\nc\\"},
        {"/media/cd\\04", "/media/cd\\04"},  // not three digits: no escape
    };
    for (const auto& [field, decoded] : cases) {
        const auto records = ParseMountInfo(std::string("41 22 11:0 / ") + field + " ro - udf /dev/sr0 ro\n");
        ASSERT_EQ(records.size(), 1u) << field;
        EXPECT_EQ(records[0].mountPoint, decoded) << field;
    }
}

TEST(ParseMountInfo, SkipsMalformedAndTruncatedLines) {
    const auto records = ParseMountInfo(
        "not a mount line at all\n"
        "x 22 8:1 / /a rw - ext4 /dev/sda1 rw\n"       // id is not a number
        "30 22 8:1 / /b rw shared:1 ext4 /dev/sda1\n"  // no separator
        "31 22 8:1 / /c rw - ext4\n"                   // cut short after the separator
        "\n"
        "32 22 8:1 / /d\\134x rw - ext4 /dev/sda1 rw");  // last line without newline; \134 is a backslash
    EXPECT_EQ(MountPoints(records), std::vector<std::string>{"/d\\x"});
}

TEST(NewMounts, ReportsAppearedMountsOnlyAndIgnoresRemountsOfTheSameMount) {
    const std::string withDisc = std::string(kBefore) + kDiscLine;
    const auto before = ParseMountInfo(kBefore);
    const auto after = ParseMountInfo(withDisc);
    EXPECT_EQ(MountPoints(NewMounts(before, after)), std::vector<std::string>{"/media/user/My Disc"});
    EXPECT_TRUE(NewMounts(after, before).empty()) << "an ejected disc is no arrival";

    std::string remounted = withDisc;
    remounted.replace(remounted.find("ro,nosuid"), 2, "rw");
    EXPECT_TRUE(NewMounts(after, ParseMountInfo(remounted)).empty());

    std::string replaced = withDisc;  // another disc mounted where the last one was
    replaced.replace(replaced.find("41 22"), 2, "57");
    EXPECT_EQ(NewMounts(after, ParseMountInfo(replaced)).size(), 1u);
}

namespace {

void WriteTable(const QString& path, const std::string& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

}  // namespace

TEST(MountWatcher, ReportsAnArrivalOnlyForMountsNewSinceTheLastRead) {
    int argc = 1;
    char name[] = "edit_core_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("mountinfo");
    WriteTable(path, kBefore);

    platform::MountWatcher watcher(path.toStdString());
    int arrivals = 0;
    watcher.SetArrivalHandler([&] { ++arrivals; });
    watcher.Recheck();
    EXPECT_EQ(arrivals, 0) << "mounts present at start are no arrival";

    WriteTable(path, std::string(kBefore) + kDiscLine);
    watcher.Recheck();
    EXPECT_EQ(arrivals, 1);
    watcher.Recheck();
    EXPECT_EQ(arrivals, 1);

    WriteTable(path, kBefore);
    watcher.Recheck();
    EXPECT_EQ(arrivals, 1) << "a removal changes nothing";
}
