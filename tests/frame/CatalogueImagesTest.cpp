#include <QComboBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <fstream>

#include "FrameTestSupport.h"
#include "IsoImage.h"
#include "WalkHold.h"
#include "res/Texts.h"
#include "scan/CCreateImageDlg.h"
#include "scan/CImageLabelsDlg.h"
#include "scan/WalkRunner.h"
#include "tree/CKavrelView.h"

namespace {

class CatalogueImagesTest : public FrameTest {
protected:
    CatalogueImagesTest() {
        EXPECT_TRUE(
            iso::Write(disc.Root(), images.At("holiday.iso"), iso::Names::RockRidgeAndJoliet, "HOLIDAY"));
        EXPECT_TRUE(iso::Write(disc.Root(), images.At("Backup 2019.iso"), iso::Names::RockRidge));
        iso::ClearVolumeLabel(images.At("Backup 2019.iso"));
        std::ofstream(images.At("notes.iso")) << "not a disc";
    }
    std::vector<std::string> Images(std::initializer_list<const char*> names) const {
        std::vector<std::string> paths;
        for (const char* name : names) paths.push_back(images.At(name));
        return paths;
    }
    std::vector<std::string> DiscNodes() const {
        std::vector<std::string> labels;
        const QTreeWidgetItem* root = frame->TreeView()->m_hImageRoot;
        for (int i = 0; i < root->childCount(); ++i) labels.push_back(CKavrelView::NodeText(root->child(i)));
        return labels;
    }
    static QPushButton* Button(QDialog& dlg, const QString& text) {
        for (QPushButton* button : dlg.findChildren<QPushButton*>())
            if (button->text() == text) return button;
        return nullptr;
    }
    static QStringList Column(const CImageLabelsDlg& dlg, int column) {
        QStringList texts;
        for (int row = 0; row < dlg.m_listImages->rowCount(); ++row)
            texts << dlg.m_listImages->item(row, column)->text();
        return texts;
    }

    TempFolder images;
};

}  // namespace

TEST_F(CatalogueImagesTest, TheLabelsAreConfirmedInOneListAndEachImageBecomesADisc) {
    QStringList shownImages;
    QStringList proposed;
    WhenModalOpens<CImageLabelsDlg>([&](CImageLabelsDlg* dlg) {
        shownImages = Column(*dlg, CImageLabelsDlg::kImageColumn);
        proposed = Column(*dlg, CImageLabelsDlg::kLabelColumn);
        // The first label has the focus; typing replaces it, and "Catalogue" takes what was typed.
        EXPECT_EQ(dlg->m_listImages->currentColumn(), CImageLabelsDlg::kLabelColumn);
        QTest::keyClick(dlg->m_listImages, 'S');
        auto* editor = dlg->m_listImages->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QStringLiteral("ummer"));
        QPushButton* catalogue = Button(*dlg, QStringLiteral("Catalogue"));
        ASSERT_NE(catalogue, nullptr);
        QTest::mouseClick(catalogue, Qt::LeftButton);
    });
    frame->Walks().OnCatalogueImages(Images({"holiday.iso", "notes.iso", "Backup 2019.iso"}));

    EXPECT_EQ(shownImages, (QStringList{"holiday.iso", "notes.iso", "Backup 2019.iso"}));
    EXPECT_EQ(proposed, (QStringList{"HOLIDAY", "notes", "Backup 2019"}));
    EXPECT_EQ(DiscNodes(), (std::vector<std::string>{"Summer", "Backup 2019"}));
    EXPECT_EQ(doc.GetEntryCount(), 6u);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Disc images catalogued: 2 discs with 6 entries added.\n\nNot catalogued:\n" +
                  images.At("notes.iso") + ": Unrecognized archive format");
    EXPECT_EQ(messages.shown[0].icon, msg::Icon::Exclamation);
}

TEST_F(CatalogueImagesTest, ABlankLabelIsRefusedAndTheListComesBackAsTyped) {
    int opened = 0;
    QStringList second;
    const std::function<void(CImageLabelsDlg*)> answer = [&](CImageLabelsDlg* dlg) {
        if (++opened == 1) {
            dlg->m_listImages->item(1, CImageLabelsDlg::kLabelColumn)->setText(QStringLiteral(" blank"));
            static_cast<QDialog*>(dlg)->accept();
            WhenModalOpens<CImageLabelsDlg>(answer);
        } else {
            second = Column(*dlg, CImageLabelsDlg::kLabelColumn);
            dlg->reject();
        }
    };
    WhenModalOpens<CImageLabelsDlg>(answer);
    frame->Walks().OnCatalogueImages(Images({"holiday.iso", "Backup 2019.iso"}));

    EXPECT_EQ(opened, 2);
    EXPECT_EQ(second, (QStringList{"HOLIDAY", " blank"}));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error:empty or blan"});
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_TRUE(DiscNodes().empty());
}

TEST_F(CatalogueImagesTest, CancelStopsWithoutAPartialDiscAndTheSummarySaysSo) {
    WalkHold hold;
    frame->Walks().SetWalkListener(hold.Listener());
    frame->Walks().SetProgressDelay(std::chrono::milliseconds(0));
    WhenModalOpens<CImageLabelsDlg>([](CImageLabelsDlg* dlg) { static_cast<QDialog*>(dlg)->accept(); });
    QString shownTitle;
    WhenModalOpens<QProgressDialog>([&](QProgressDialog* progress) {
        shownTitle = progress->windowTitle();
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        hold.Open();
    });
    frame->Walks().OnCatalogueImages(Images({"holiday.iso", "Backup 2019.iso"}));

    EXPECT_TRUE(hold.Reached());
    EXPECT_EQ(shownTitle, "Catalogue Disc Images");
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(DiscNodes().empty());
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Disc images catalogued: 0 discs with 0 entries added.\n\n"
                                       "Cancelled: 2 images were not catalogued."});
}

TEST_F(CatalogueImagesTest, CreateImageFileRefusesAnUnreadableImageByName) {
    WhenModalOpens<CCreateImageDlg>([&](CCreateImageDlg* dlg) {
        dlg->m_editLabel->setText(QStringLiteral("Notes"));
        dlg->m_cbDrives->setEditText(ToQString(images.At("notes.iso")));
        static_cast<QDialog*>(dlg)->accept();
    });
    frame->Action(cmd::kCreateImage)->trigger();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Cannot read the disc image \"" + images.At("notes.iso") +
                                       "\": Unrecognized archive format"});
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_TRUE(DiscNodes().empty());
}
