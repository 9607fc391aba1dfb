#include <gtest/gtest.h>

#include <QHeaderView>
#include <QIcon>
#include <QTest>

#include "ListsTestSupport.h"
#include "catalogue/CKavrelDoc.h"
#include "lists/CSecView.h"
#include "lists/CThirdView.h"
#include "res/Texts.h"

namespace {

using Texts = std::vector<std::string>;

std::vector<int> Widths(const QTreeView& view) {
    std::vector<int> widths;
    for (int c = 0; c < view.header()->count(); ++c) widths.push_back(view.header()->sectionSize(c));
    return widths;
}

std::vector<int> SelectedRows(const QTreeView& view) {
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void Select(QTreeView& view, std::initializer_list<int> rows) {
    view.selectionModel()->clearSelection();
    for (int row : rows)
        view.selectionModel()->select(view.model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void DoubleClickRow(QTreeView& view, int row) {
    const QRect rect = view.visualRect(view.model()->index(row, 0));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

const QColor kBackground(236, 247, 255);

// A click on the heading of `section`, where a person clicks it.
void ClickHeading(QTreeView& view, int section) {
    QHeaderView* header = view.header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

class ContentsViewTest : public ::testing::Test {
protected:
    ContentsViewTest() { view.SetMessages(&messages); }

    CKavrelDoc doc;
    ScriptedMessages messages;
    CSecView view{&doc};
};

TEST_F(ContentsViewTest, HeaderFollowsEachLayoutWithItsWidths) {
    FakeDrive drive;
    doc.AppendEntry("A", "a1", "file ", "\\", "1");
    doc.AppendEntry("B", "b1", "file ", "\\", "1");
    view.OnInitialUpdate();
    EXPECT_EQ(Widths(view), (std::vector<int>{278, 80, 300, 138, 160}));

    doc.m_strDriveRoot = "E:\\";
    doc.UpdateAllViews(nullptr, hint::kLiveListing);
    EXPECT_EQ(Widths(view), (std::vector<int>{200, 100, 100}));

    doc.m_strSelText = "B";
    doc.UpdateAllViews(nullptr, hint::kShowDisc);
    EXPECT_EQ(Widths(view), (std::vector<int>{200, 80, 300, 138, 160}));
    EXPECT_EQ(view.model()->rowCount(), 1);
    // Emptying the rows keeps the widths a person may have dragged.
    view.header()->resizeSection(2, 123);
    doc.m_strSelText = "A";
    doc.UpdateAllViews(nullptr, hint::kShowDisc);
    EXPECT_EQ(view.header()->sectionSize(2), 123);
}

TEST_F(ContentsViewTest, APickedDiscSelectsAndShowsTheHit) {
    for (int i = 0; i < 500; ++i) doc.AppendEntry("B", "F" + std::to_string(i), "file ", "\\", "1");
    view.resize(400, 200);
    view.show();
    doc.m_strPickLabel = "B";
    doc.m_strPickName = "F400";
    doc.m_strPickPath = "\\";
    doc.UpdateAllViews(nullptr, hint::kShowPickedDisc);
    EXPECT_EQ(SelectedRows(view), (std::vector<int>{400}));
    EXPECT_EQ(view.currentIndex().row(), 400);
    QApplication::processEvents();
    EXPECT_TRUE(view.viewport()->rect().intersects(view.visualRect(view.model()->index(400, 0))));
}

TEST_F(ContentsViewTest, DoubleClickAndEnterWalkIntoTheTopmostSelectedFolder) {
    FakeDrive drive;
    drive.Folder("AAA/INNER");
    drive.Folder("BBB");
    drive.File("C.TXT", 1);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.OnInitialUpdate();
    const auto rowOf = [this](const char* name) {
        for (int r = 0; r < view.model()->rowCount(); ++r)
            if (view.Contents().Model().Text(r, 0) == name) return r;
        return -1;
    };
    ASSERT_EQ(view.model()->rowCount(), 3);

    DoubleClickRow(view, rowOf("BBB"));
    EXPECT_EQ(view.Contents().CurrentDir(), "E:\\BBB\\");

    Select(view, {rowOf(".")});
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.Contents().CurrentDir(), "E:\\");

    const int aaa = rowOf("AAA");
    const int bbb = rowOf("BBB");
    Select(view, {std::max(aaa, bbb), std::min(aaa, bbb)});
    QTest::keyClick(&view, Qt::Key_Enter);
    EXPECT_EQ(view.Contents().CurrentDir(), aaa < bbb ? "E:\\AAA\\" : "E:\\BBB\\");
}

TEST_F(ContentsViewTest, ARowUnderARestingPointerBecomesSelected) {
    for (int i = 0; i < 5; ++i) doc.AppendEntry("A", "F" + std::to_string(i), "file ", "\\", "1");
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    doc.m_strSelText = "A";
    doc.UpdateAllViews(nullptr, hint::kShowDisc);
    QApplication::processEvents();
    // An earlier test's double-click can leave the test driver's button state held; a drag selects nothing.
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(5, view.viewport()->height() - 5));
    QTest::mouseMove(view.viewport(), view.visualRect(view.model()->index(3, 0)).center());
    EXPECT_TRUE(QTest::qWaitFor([this] { return SelectedRows(view) == std::vector<int>{3}; }, 3000));
}

TEST_F(ContentsViewTest, ClickingAHeadingSortsByItAndClickingItAgainReverses) {
    FakeDrive drive;
    for (const auto& [name, size] : {std::pair{"b", "9"}, {"C", "10"}, {"a", "1,000"}})
        doc.AppendEntry("A", name, "file ", "\\", size);
    view.OnInitialUpdate();
    view.resize(900, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const struct {
        int section;
        Texts names;
    } clicks[] = {{0, {"a", "b", "C"}}, {0, {"C", "b", "a"}}, {3, {"b", "C", "a"}}, {3, {"a", "C", "b"}}};
    for (const auto& click : clicks) {
        ClickHeading(view, click.section);
        EXPECT_EQ(ColumnTexts(view.Contents().Model(), 0), click.names) << click.section;
    }
    EXPECT_EQ(view.header()->sortIndicatorSection(), 3);
    EXPECT_EQ(view.header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

class ResultsViewTest : public ::testing::Test {
protected:
    ResultsViewTest() {
        recorder.SetDocument(&doc);
        view.OnInitialUpdate();
    }
    void Offer(const std::string& label, const std::string& name, const std::string& kind = "file ",
               const std::string& path = "\\") {
        doc.m_bResultRow = 1;
        doc.m_strFoundLabel = label;
        doc.m_strFoundName = name;
        doc.m_strFoundKind = kind;
        doc.m_strFoundPath = path;
        doc.m_strFoundSize = "1";
        doc.UpdateAllViews(nullptr, hint::kResultRow);
    }
    void ClearResults() {
        doc.m_bResultRow = 0;
        doc.UpdateAllViews(nullptr, hint::kResultRow);
    }
    Texts Names() const { return ColumnTexts(view.Results().Model(), 0); }

    CKavrelDoc doc;
    RecordingView recorder;
    CThirdView view{&doc};
};

TEST_F(ResultsViewTest, StartsEmptyWithTheResultColumns) {
    EXPECT_EQ(Headings(view.Results().Model()),
              (Texts{"File Name", "Impress", "Path Name", "Size(bits)", "Modified", "Location"}));
    EXPECT_EQ(Widths(view), (std::vector<int>{200, 100, 300, 138, 160, 150}));
    EXPECT_EQ(view.model()->rowCount(), 0);
    EXPECT_EQ(view.palette().color(QPalette::Base), kBackground);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);
    Offer("D", "x");
    view.OnInitialUpdate();
    EXPECT_EQ(view.model()->rowCount(), 0);
    EXPECT_EQ(view.header()->count(), 6);
}

TEST_F(ResultsViewTest, HitsComeNewestFirstWithTheirImagesAndASecondSearchReplacesThem) {
    ClearResults();
    Offer("D1", "e1", "file ");
    Offer("D1", "e2", "folder ");
    Offer("D2", "e3", "file ");
    doc.UpdateAllViews(nullptr, hint::kShowDisc);
    EXPECT_EQ(Names(), (Texts{"e3", "e2", "e1"}));
    const auto icon = [this](int row) {
        return view.model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
    };
    EXPECT_FALSE(icon(0).isNull());
    EXPECT_EQ(icon(0).cacheKey(), icon(2).cacheKey());
    EXPECT_NE(icon(0).cacheKey(), icon(1).cacheKey());
    ClearResults();
    Offer("D3", "f1");
    EXPECT_EQ(Names(), (Texts{"f1"}));
    ClearResults();
    EXPECT_EQ(view.model()->rowCount(), 0);
}

TEST_F(ResultsViewTest, DoubleClickAsksForTheHitsDiscWithTheTopmostSelectedRow) {
    Offer("D1", "e1", "file ", "\\A\\");
    Offer("D2", "e2", "file ", "\\B\\");
    Offer("D3", "e3", "folder ", "\\C\\");
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    recorder.heard.clear();

    DoubleClickRow(view, 1);
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].hint, hint::kPickDisc);
    EXPECT_EQ(recorder.heard[0].pickLabel, "D2");
    EXPECT_EQ(recorder.heard[0].pickName, "e2");
    EXPECT_EQ(recorder.heard[0].pickPath, "\\B\\");

    Select(view, {2, 0});
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_EQ(recorder.heard.size(), 2u);
    EXPECT_EQ(recorder.heard[1].pickLabel, "D3");

    view.selectionModel()->clearSelection();
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(recorder.heard.size(), 2u);
}

TEST_F(ResultsViewTest, ClickingModifiedSortsHitsByTheirFilesTimesAndANewSearchEndsIt) {
    doc.AppendEntry("D", "old", "file ", "\\", "1");
    doc.AppendEntry("D", "new", "file ", "\\", "1");
    doc.AppendEntry("D", "undated", "file ", "\\", "1");
    doc.EditEntries().SetModified(0, 1'000'000'000);
    doc.EditEntries().SetModified(1, 1'600'000'000);
    doc.EditDiscRecords().Set(0, KeptAt("Box 12, shelf 3"));
    const auto search = [this] {
        ClearResults();
        for (std::size_t row = 0; row < 3; ++row) {
            doc.m_nFoundRow = row;
            Offer("D", std::string(doc.Entries().Name(row)));
        }
    };
    search();
    view.resize(1100, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(ColumnTexts(view.Results().Model(), 5), (Texts(3, "Box 12, shelf 3")));
    EXPECT_EQ(view.model()->index(1, 4).data().toString(), DateTimeText(1'600'000'000));

    ClickHeading(view, 4);
    EXPECT_EQ(Names(), (Texts{"old", "new", "undated"}));
    ClickHeading(view, 4);
    EXPECT_EQ(Names(), (Texts{"new", "old", "undated"})) << "unknown times stay last";
    search();
    EXPECT_EQ(Names(), (Texts{"undated", "new", "old"}));
    EXPECT_EQ(view.header()->sortIndicatorSection(), -1);
}

TEST_F(ResultsViewTest, RowsSurviveHidingAndShowingThePane) {
    Offer("D1", "e1");
    Offer("D1", "e2");
    view.show();
    view.hide();
    Offer("D1", "e3");
    view.show();
    EXPECT_EQ(Names(), (Texts{"e3", "e2", "e1"}));
}

}  // namespace
