#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <optional>

#include "DriveEnv.h"
#include "IsoImage.h"
#include "TempFolder.h"
#include "res/Skin.h"
#include "scan/CCreateImageDlg.h"

namespace {

class CreateImageDlgTest : public ::testing::Test {
protected:
    static QStringList ListedDrives(const CCreateImageDlg& dlg) {
        QStringList roots;
        for (int i = 0; i < dlg.m_cbDrives->count(); ++i) roots << dlg.m_cbDrives->itemText(i);
        return roots;
    }
    static QPushButton* Button(CCreateImageDlg& dlg, const QString& text) {
        for (QPushButton* button : dlg.findChildren<QPushButton*>())
            if (button->text() == text) return button;
        return nullptr;
    }
    static QStringList Texts(CCreateImageDlg& dlg) {
        QStringList texts;
        for (QLabel* label : dlg.findChildren<QLabel*>())
            if (!label->text().isEmpty()) texts << label->text();
        texts.sort();
        return texts;
    }
};

}  // namespace

TEST_F(CreateImageDlgTest, OneDriveIsShownAndListed) {
    const DriveEnv map("E=/media/cdrom");
    CCreateImageDlg dlg;
    EXPECT_EQ(dlg.m_strDrive, "E:\\");
    EXPECT_EQ(dlg.m_strLabel, "");
    EXPECT_TRUE(dlg.m_cbDrives->isEditable());
    EXPECT_EQ(dlg.m_editLabel->text(), "");
    EXPECT_EQ(dlg.windowTitle(), "Create image file directory");
    EXPECT_EQ(Texts(dlg), (QStringList{"CD Driver:", "CD External Feature:",
                                       "Scan all files and create a image file directory at here."}));
    ASSERT_NE(Button(dlg, "Create"), nullptr);
    ASSERT_NE(Button(dlg, "Cancel"), nullptr);
    EXPECT_TRUE(Button(dlg, "Create")->isDefault());
}

TEST_F(CreateImageDlgTest, FocusStartsAtTheLabelAndTabsThroughCreateCancelTheDriveAndTheChecksums) {
    const DriveEnv map("E=/media/cdrom");
    CCreateImageDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    EXPECT_EQ(dlg.focusWidget(), dlg.m_editLabel);
    std::vector<QWidget*> order;
    QWidget* widget = dlg.m_editLabel;
    for (int i = 0; i < 5; ++i) {
        order.push_back(widget);
        do widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible() ||
               widget == dlg.m_cbDrives->lineEdit());
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{dlg.m_editLabel, Button(dlg, "Create"), Button(dlg, "Cancel"),
                                            dlg.m_cbDrives, dlg.m_checkSums}));
    EXPECT_EQ(widget, dlg.m_editLabel);
}

TEST_F(CreateImageDlgTest, DrivesAreListedInLetterOrderAndAtMostTenAreKept) {
    const std::pair<std::string, QStringList> cases[] = {
        {"E=/media/cdrom", {"E:\\"}},
        {"F=/srv/f;D=/srv/d", {"D:\\", "F:\\"}},
        {"D=/a;E=/a;F=/a;G=/a;H=/a;I=/a;J=/a;K=/a;L=/a;M=/a;N=/a;O=/a",
         {"D:\\", "E:\\", "F:\\", "G:\\", "H:\\", "I:\\", "J:\\", "K:\\", "L:\\", "M:\\"}},
        {"", {}},
    };
    for (const auto& [map, listed] : cases) {
        SCOPED_TRACE(map);
        const DriveEnv env(map);
        CCreateImageDlg dlg;
        EXPECT_EQ(ListedDrives(dlg), listed);
        EXPECT_EQ(dlg.m_nDrives, static_cast<int>(listed.size()));
        EXPECT_EQ(dlg.HasDrives(), !listed.isEmpty());
        EXPECT_EQ(dlg.m_cbDrives->currentText(), listed.value(0));
        for (std::size_t i = 0; i < dlg.m_strDrives.size(); ++i)
            EXPECT_EQ(dlg.m_strDrives[i], listed.value(qsizetype(i)).toStdString()) << i;
        EXPECT_EQ(dlg.ListCdDrives(), listed.isEmpty() ? "NULL" : listed[0].toStdString());
    }
}

// Unlike the document's drive table, the dialog's keeps no root of an earlier scan.
TEST_F(CreateImageDlgTest, ARescanClearsTheSlotsOfDrivesThatWentAway) {
    std::optional<DriveEnv> env;  // emplace puts the old map back before it sets the next
    env.emplace("D=/a;E=/b");
    CCreateImageDlg dlg;
    ASSERT_EQ(dlg.m_nDrives, 2);
    env.emplace("F=/c");
    EXPECT_EQ(dlg.ListCdDrives(), "F:\\");
    EXPECT_EQ(dlg.m_nDrives, 1);
    EXPECT_EQ(dlg.m_strDrives[1], "");
    env.emplace("");
    EXPECT_EQ(dlg.ListCdDrives(), "NULL");
    EXPECT_EQ(dlg.m_strDrives[0], "");
}

TEST_F(CreateImageDlgTest, CreateReturnsTheLabelAndATypedFolder) {
    const DriveEnv map("E=/media/cdrom");
    CCreateImageDlg dlg;
    dlg.m_editLabel->setText(QString::fromUtf8("Été 2024 "));
    dlg.m_cbDrives->setEditText("/srv/disc-copies/disc1");
    Button(dlg, "Create")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_strLabel, "\xC3\x89t\xC3\xA9 2024 ");
    EXPECT_EQ(dlg.m_strDrive, "/srv/disc-copies/disc1");
}

TEST_F(CreateImageDlgTest, EnterCreatesAndLeavesTheDriveListAlone) {
    const DriveEnv map("E=/media/cdrom");
    CCreateImageDlg dlg;
    dlg.show();
    dlg.m_editLabel->setText("Backup");
    dlg.m_cbDrives->setEditText("C:\\");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dlg.m_cbDrives->lineEdit(), &press);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_strLabel, "Backup");
    EXPECT_EQ(dlg.m_strDrive, "C:\\");
    EXPECT_EQ(ListedDrives(dlg), QStringList{"E:\\"});
}

TEST_F(CreateImageDlgTest, CancelChangesNothing) {
    const DriveEnv map("E=/media/cdrom");
    CCreateImageDlg dlg;
    dlg.m_editLabel->setText("Backup");
    dlg.m_cbDrives->setEditText("F:\\");
    Button(dlg, "Cancel")->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.m_strLabel, "");
    EXPECT_EQ(dlg.m_strDrive, "E:\\");
}

TEST_F(CreateImageDlgTest, TheLoadedSkinIsApplied) {
    const DriveEnv map("E=/media/cdrom");
    ASSERT_TRUE(skin::LoadSkin("Metallic.skn"));
    CCreateImageDlg skinned;
    skin::UnloadSkin();
    CCreateImageDlg plain;
    EXPECT_FALSE(skinned.styleSheet().isEmpty());
    EXPECT_TRUE(plain.styleSheet().isEmpty());
}

TEST_F(CreateImageDlgTest, TheLabelIsProposedFromTheVolumeUntilThePersonTypesOne) {
    TempFolder tree;
    tree.File("A.TXT", 1);
    TempFolder images;
    ASSERT_TRUE(
        iso::Write(tree.Root(), images.At("holiday.iso"), iso::Names::RockRidgeAndJoliet, "HOLIDAY_2024"));
    ASSERT_TRUE(iso::Write(tree.Root(), images.At("music.iso"), iso::Names::RockRidge, "MUSIC"));
    const DriveEnv map("E=" + images.At("holiday.iso") + ";F=" + tree.Root());
    CCreateImageDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    // Proposed and selected, so that typing replaces it.
    EXPECT_EQ(dlg.m_editLabel->text(), "HOLIDAY_2024");
    EXPECT_EQ(dlg.m_editLabel->selectedText(), "HOLIDAY_2024");
    // Another drive proposes its own label: none for a folder; a typed image path proposes the image's.
    dlg.m_cbDrives->setCurrentIndex(dlg.m_cbDrives->findText("F:\\"));
    EXPECT_EQ(dlg.m_editLabel->text(), "");
    dlg.m_cbDrives->setEditText(QString::fromStdString(images.At("music.iso")));
    EXPECT_EQ(dlg.m_editLabel->text(), "MUSIC");
    // Once typed, the label stays whatever drive is picked.
    QTest::keyClicks(dlg.m_editLabel, "Mine");
    dlg.m_cbDrives->setCurrentIndex(dlg.m_cbDrives->findText("E:\\"));
    EXPECT_EQ(dlg.m_editLabel->text(), "Mine");
    Button(dlg, "Create")->click();
    EXPECT_EQ(dlg.m_strLabel, "Mine");
    EXPECT_EQ(dlg.m_strDrive, "E:\\");
}
