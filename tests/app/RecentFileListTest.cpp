#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "app/RecentFileList.h"

namespace {

class RecentFileListTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString ini = dir.filePath("settings.ini");
    QSettings settings{ini, QSettings::IniFormat};
    RecentFileList recent{settings};

    QString P(const QString& name) const { return dir.filePath(name); }
};

TEST_F(RecentFileListTest, MostRecentFirstAtMostFourNoDuplicates) {
    for (const char* name : {"1.cdi", "2.cdi", "3.cdi", "4.cdi", "5.cdi"}) recent.Add(P(name));
    EXPECT_EQ(recent.Paths(), (QStringList{P("5.cdi"), P("4.cdi"), P("3.cdi"), P("2.cdi")}));
    recent.Add(P("3.cdi"));
    EXPECT_EQ(recent.Paths(), (QStringList{P("3.cdi"), P("5.cdi"), P("4.cdi"), P("2.cdi")}));
    // The same file reached by another spelling is still one entry.
    recent.Add(dir.path() + "/./sub/../5.cdi");
    EXPECT_EQ(recent.Paths(), (QStringList{P("5.cdi"), P("3.cdi"), P("4.cdi"), P("2.cdi")}));
}

TEST_F(RecentFileListTest, SurvivesARestartUnderTheFrameworkKeys) {
    recent.Add(P("a.cdi"));
    recent.Add(P("b.cdi"));
    recent.Remove(P("a.cdi"));
    QSettings reread(ini, QSettings::IniFormat);
    EXPECT_EQ(reread.value("Recent File List/File1").toString(), P("b.cdi"));
    EXPECT_FALSE(reread.contains("Recent File List/File2"));
    RecentFileList again(reread);
    EXPECT_EQ(again.Paths(), QStringList{P("b.cdi")});
}

TEST_F(RecentFileListTest, ARestartReloadsAFullListInItsOrder) {
    for (const char* name : {"1.cdi", "2.cdi", "3.cdi", "4.cdi"}) recent.Add(P(name));
    QSettings reread(ini, QSettings::IniFormat);
    RecentFileList again(reread);
    EXPECT_EQ(again.Paths(), (QStringList{P("4.cdi"), P("3.cdi"), P("2.cdi"), P("1.cdi")}));
}

TEST_F(RecentFileListTest, MenuTextsAreNumberedAndShowThePathOnlyWhenNamesClash) {
    recent.Add(P("x/cat.cdi"));
    recent.Add(P("Tom & Jerry.cdi"));
    EXPECT_EQ(recent.MenuText(0), "&1 Tom && Jerry.cdi");
    EXPECT_EQ(recent.MenuText(1), "&2 cat.cdi");
    recent.Add(P("y/cat.cdi"));
    EXPECT_TRUE(recent.MenuText(0).endsWith("cat.cdi"));
    EXPECT_NE(recent.MenuText(0), "&1 cat.cdi");
    EXPECT_TRUE(recent.MenuText(4).isEmpty());
}

}  // namespace
