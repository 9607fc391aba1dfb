#include <QComboBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <semaphore>

#include "FrameTestSupport.h"
#include "IsoImage.h"
#include "WalkHold.h"
#include "catalogue/Disc.h"
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
    WhenProgressShows([&](QProgressDialog* progress) {
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

// What a person typed in Create Image file, and what came back when the dialog was shown again.
struct Typed {
    QString label;
    QString drive;
};

// Types `typed` into the create-image dialog as a person does (the drive first: it proposes a label, which
// the typed one replaces unless it is empty) and presses Enter; `proposed` gets the label proposed. Then
// records the dialog shown again, if `back` is given, and cancels it.
void TypeAndCreate(const Typed& typed, QString* proposed, std::vector<Typed>* back) {
    WhenModalOpens<CCreateImageDlg>([=](CCreateImageDlg* dlg) {
        QLineEdit* drive = dlg->m_cbDrives->lineEdit();
        drive->selectAll();
        QTest::keyClicks(drive, typed.drive);
        if (proposed) *proposed = dlg->m_editLabel->text();
        if (!typed.label.isEmpty()) {
            dlg->m_editLabel->selectAll();
            QTest::keyClicks(dlg->m_editLabel, typed.label);
        }
        QTest::keyClick(dlg->m_editLabel, Qt::Key_Return);
        if (!back) return;
        WhenModalOpens<CCreateImageDlg>([back](CCreateImageDlg* again) {
            back->push_back({again->m_editLabel->text(), again->m_cbDrives->currentText()});
            again->reject();
        });
    });
}

TEST_F(CatalogueImagesTest, ATypedPathThatNamesNothingReadableIsRefusedAndTheDialogComesBackAsLeft) {
    const struct {
        const char* why;
        std::string path;
        std::string message;
    } cases[] = {
        {"a missing file", images.At("nope/missing.iso"),
         "Cannot read \"" + images.At("nope/missing.iso") + "\": No such file or directory"},
        {"an unreadable image", images.At("notes.iso"),
         "Cannot read the disc image \"" + images.At("notes.iso") + "\": Unrecognized archive format"},
        {"neither a drive nor a path", "nowhere", "Cannot read \"nowhere\": not a drive or a path"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        messages.shown.clear();
        std::vector<Typed> back;
        TypeAndCreate({"Ghost", ToQString(c.path)}, nullptr, &back);
        frame->Action(cmd::kCreateImage)->trigger();
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(messages.shown.at(0).icon, msg::Icon::Stop);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].label, "Ghost");
        EXPECT_EQ(back[0].drive, ToQString(c.path));
        EXPECT_EQ(doc.GetEntryCount(), 0u);
        EXPECT_TRUE(DiscNodes().empty());
        EXPECT_FALSE(doc.IsModified());
    }

    // A drive letter is a drive, empty or not: a drive with no disc in it gives a disc without entries.
    messages.shown.clear();
    TypeAndCreate({"Ghost", "F:\\"}, nullptr, nullptr);
    frame->Action(cmd::kCreateImage)->trigger();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Search finished!!!"});
    EXPECT_EQ(doc.GetEntryCount(), 0u);
}

// Labels proposed by the program are unique; a label typed that a disc carries already is asked about (No by
// default), and No brings the dialog or the list back as the person left it. One image goes through Create
// Image file with its path typed; more through Catalogue Disc Images.
TEST_F(CatalogueImagesTest, DiscsKeepLabelsOfTheirOwnUnlessThePersonSaysOtherwise) {
    const std::string shownAsOne =
        " Where the two discs stand next to each other they will be shown as one disc.";
    const auto inCatalogue = [&](const std::string& label) {
        return "A disc labelled \"" + label +
               "\" is already in the catalogue. Catalogue this disc under the same label?" + shownAsOne;
    };
    std::filesystem::copy_file(images.At("holiday.iso"), images.At("holiday copy.iso"));
    using msg::Answer;
    using Nodes = std::vector<std::string>;
    const struct {
        const char* why;
        std::vector<std::string> images;
        QStringList typed;  // over the labels proposed; empty keeps one
        std::deque<Answer> answers;
        QStringList proposed;
        std::vector<std::string> questions;
        QStringList back;  // the labels shown again, when they were
        Nodes discs;       // as the catalogue has them afterwards
    } cases[] = {
        {"proposed for an image whose volume label a disc carries",
         Images({"holiday.iso"}),
         {""},
         {},
         {"HOLIDAY (2)"},
         {},
         {},
         {"HOLIDAY", "Music", "HOLIDAY (2)"}},
        {"proposed for an image and its copy",
         Images({"holiday.iso", "holiday copy.iso"}),
         {"", ""},
         {},
         {"HOLIDAY (2)", "HOLIDAY (3)"},
         {},
         {},
         {"HOLIDAY", "Music", "HOLIDAY (2)", "HOLIDAY (3)"}},
        // An image without a volume label: Create Image file proposes none.
        {"typed, a disc further up carries it: No",
         Images({"Backup 2019.iso"}),
         {"HOLIDAY"},
         {Answer::No},
         {""},
         {inCatalogue("HOLIDAY")},
         {"HOLIDAY"},
         {"HOLIDAY", "Music"}},
        {"typed, the last disc carries it: Yes",
         Images({"Backup 2019.iso"}),
         {"Music"},
         {Answer::Yes},
         {""},
         {inCatalogue("Music")},
         {},
         {"HOLIDAY", "Music"}},
        {"typed in the list: No",
         Images({"holiday.iso", "Backup 2019.iso"}),
         {"", "Music"},
         {Answer::No},
         {"HOLIDAY (2)", "Backup 2019"},
         {inCatalogue("Music")},
         {"HOLIDAY (2)", "Music"},
         {"HOLIDAY", "Music"}},
        {"the same label typed twice in one batch: Yes",
         Images({"holiday.iso", "Backup 2019.iso"}),
         {"Trip", "Trip"},
         {Answer::Yes},
         {"HOLIDAY (2)", "Backup 2019"},
         {"More than one disc image is labelled \"Trip\". Catalogue them under the same label?" + shownAsOne},
         {},
         {"HOLIDAY", "Music", "Trip"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        doc.DeleteContents();
        doc.AppendEntry("HOLIDAY", "X", kKindFile, "\\", "1");
        doc.AppendEntry("Music", "Y", kKindFile, "\\", "1");
        doc.SendInitialUpdate();
        messages.shown.clear();
        messages.answers = c.answers;
        QStringList proposed;
        QStringList back;
        if (c.images.size() == 1) {
            QString label;
            std::vector<Typed> again;
            TypeAndCreate({c.typed[0], ToQString(c.images[0])}, &label, c.back.isEmpty() ? nullptr : &again);
            frame->Action(cmd::kCreateImage)->trigger();
            proposed << label;
            for (const Typed& texts : again) back << texts.label;
        } else {
            WhenModalOpens<CImageLabelsDlg>([&](CImageLabelsDlg* dlg) {
                proposed = Column(*dlg, CImageLabelsDlg::kLabelColumn);
                for (int row = 0; row < c.typed.size(); ++row) {
                    if (c.typed[row].isEmpty()) continue;
                    dlg->m_listImages->setCurrentCell(row, CImageLabelsDlg::kLabelColumn);
                    // The first key opens the label for typing and replaces it.
                    QTest::keyClick(dlg->m_listImages, c.typed[row].at(0).toLatin1());
                    QWidget* editor = dlg->m_listImages->indexWidget(dlg->m_listImages->currentIndex());
                    ASSERT_NE(editor, nullptr);
                    QTest::keyClicks(editor, c.typed[row].mid(1));
                    QTest::keyClick(editor, Qt::Key_Return);
                }
                if (!c.back.isEmpty()) {
                    WhenModalOpens<CImageLabelsDlg>([&](CImageLabelsDlg* again) {
                        back = Column(*again, CImageLabelsDlg::kLabelColumn);
                        again->reject();
                    });
                }
                QTest::mouseClick(Button(*dlg, QStringLiteral("Catalogue")), Qt::LeftButton);
            });
            frame->Walks().OnCatalogueImages(c.images);
        }

        EXPECT_EQ(proposed, c.proposed);
        std::vector<std::string> questions;
        for (const msg::Request& shown : messages.shown) {
            if (shown.buttons != msg::Buttons::YesNo) continue;
            questions.push_back(shown.text);
            EXPECT_TRUE(shown.noByDefault);
            EXPECT_EQ(shown.icon, msg::Icon::Exclamation);
        }
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(back, c.back);
        Nodes discs;
        for (const catalogue::Disc& disc : catalogue::DiscNodes(doc.Entries()))
            discs.emplace_back(doc.Entries().Text(disc.label));
        EXPECT_EQ(discs, c.discs);
    }
}

// While a big image is read (most of its time), the progress window counts its entries, in the locale's
// digit grouping; with many images its bar counts the images.
TEST_F(CatalogueImagesTest, TheProgressWindowCountsTheEntriesWhileAnImageIsRead) {
    TempFolder big;
    for (int i = 0; i < 1500; ++i) big.File("F" + std::to_string(i));
    ASSERT_TRUE(iso::Write(big.Root(), images.At("big.iso"), iso::Names::RockRidge, "BIG"));
    // An image read once is kept while it does not change: each case reads one of its own.
    std::filesystem::copy_file(images.At("big.iso"), images.At("big copy.iso"));
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    frame->Walks().SetProgressDelay(std::chrono::milliseconds(0));
    const struct {
        const char* why;
        std::function<void()> run;
        QString count;
        int bar;
    } cases[] = {
        {"Create Image file with the image's path",
         [&] {
             TypeAndCreate({"Big", ToQString(images.At("big.iso"))}, nullptr, nullptr);
             frame->Action(cmd::kCreateImage)->trigger();
         },
         "1,200 entries so far", 0},
        {"Catalogue Disc Images",
         [&] {
             WhenModalOpens<CImageLabelsDlg>(
                 [](CImageLabelsDlg* dlg) { static_cast<QDialog*>(dlg)->accept(); });
             frame->Walks().OnCatalogueImages(Images({"holiday.iso", "big copy.iso"}));
         },
         "Image 2 of 2, 1,200 entries so far", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        // The reading waits at its 1,200th entry until the progress window has shown it.
        std::binary_semaphore gate{0};
        std::atomic<bool> held{false};
        frame->Walks().SetWalkListener([&](std::string_view, std::size_t entries) {
            if (entries >= 1200 && !held.exchange(true)) gate.acquire();
        });
        QString shown;
        int bar = -1;
        WhenProgressShows([&](QProgressDialog* progress) {
            for (int i = 0; i < 300 && !(held && progress->labelText().endsWith(c.count)); ++i)
                QTest::qWait(10);
            shown = progress->labelText().section('\n', 1);
            bar = progress->maximum();
            gate.release();
        });
        c.run();
        EXPECT_EQ(shown, c.count);
        EXPECT_EQ(bar, c.bar);
    }
    QLocale::setDefault(before);
}
