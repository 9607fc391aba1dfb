#include <gtest/gtest.h>

#include <QTextDocument>
#include <string>
#include <vector>

#include "CsvReader.h"
#include "catalogue/EntryStore.h"
#include "lists/DetailListModel.h"
#include "lists/ListExport.h"
#include "res/Texts.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A results list as the search leaves it: newest hit on top, odd names among the hits.
void ShowHits(DetailListModel& model) {
    model.SetColumns({{"File Name", Qt::AlignLeft, 200},
                      {"Impress", Qt::AlignHCenter, 100},
                      {"Path Name", Qt::AlignLeft, 300},
                      {"Size(bits)", Qt::AlignHCenter, 138}});
    model.AddHitOnTop("Disc, \"one\"", "first\thit", "file ", "\\a\\", "1,024");
    model.AddHitOnTop("B\xE9", "<script>&'\"", "folder ", "\\", "0");
    model.AddHitOnTop("C", "new\nline,\x1b", "file ", "\\caf\xE9\\", "7");
}

TEST(ListExport, CsvHoldsTheColumnsAndRowsAsShown) {
    DetailListModel model;
    ShowHits(model);
    const std::string csv = listexport::ToCsv(model);
    ASSERT_EQ(csv.substr(0, kBom.size()), kBom);
    const std::optional<CsvTable> table = ReadCsv(std::string_view(csv).substr(kBom.size()));
    ASSERT_TRUE(table) << csv;
    EXPECT_EQ(*table, (CsvTable{{"File Name", "Impress", "Path Name", "Size(bits)"},
                                {"new\nline,\x1b", "C", "\\caf\xC3\xA9\\", "7"},
                                {"<script>&'\"", "B\xC3\xA9", "\\", "0"},
                                {"first\thit", "Disc, \"one\"", "\\a\\", "1,024"}}));

    // A disc's entries under the contents list's columns, kind with its blank, the time as the list shows
    // it, in the order the list is sorted in.
    EntryStore store;
    store.Append("A", "DOCS", "folder ", "\\", "0");
    store.Append("A", "a.txt", "file ", "\\DOCS\\", "12");
    store.SetModified(1, 1'561'000'000);
    const std::string shownTime = DateTimeText(1'561'000'000).toStdString();
    ASSERT_FALSE(shownTime.empty());
    DetailListModel contents;
    contents.SetColumns({{"Name", Qt::AlignLeft, 278},
                         {"Attribute", Qt::AlignHCenter, 80},
                         {"Path Name", Qt::AlignLeft, 300},
                         {"Size(bits)", Qt::AlignHCenter, 138},
                         {"Modified", Qt::AlignLeft, 130}});
    contents.ShowEntries(&store, 0, 2);
    contents.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(ReadCsv(listexport::ToCsv(contents).substr(kBom.size())),
              (CsvTable{{"Name", "Attribute", "Path Name", "Size(bits)", "Modified"},
                        {"a.txt", "file ", "\\DOCS\\", "12", shownTime},
                        {"DOCS", "folder ", "\\", "0", ""}}));

    // One folder of it: the up row is for going up, not an entry.
    const std::vector<std::uint32_t> rows{1};
    contents.ShowFolderEntries(&store, "\\DOCS\\", rows, nullptr);
    EXPECT_EQ(ReadCsv(listexport::ToCsv(contents).substr(kBom.size())),
              (CsvTable{{"Name", "Attribute", "Path Name", "Size(bits)", "Modified"},
                        {"a.txt", "file ", "\\DOCS\\", "12", shownTime}}));
    const std::string html = listexport::ToHtml(contents, "A");
    EXPECT_NE(html.find("<p>1 row</p>"), std::string::npos);
    EXPECT_EQ(html.find(">..<"), std::string::npos);
}

TEST(ListExport, HtmlEscapesEveryTextAndPrintsItsHeadingsOnEveryPage) {
    DetailListModel model;
    ShowHits(model);
    const std::string html = listexport::ToHtml(model, "Hits <&> \xE9t\xE9");
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("@media print"), std::string::npos);
    EXPECT_NE(html.find("thead{display:table-header-group}"), std::string::npos);
    EXPECT_NE(html.find("<title>Hits &lt;&amp;&gt; \xC3\xA9t\xC3\xA9</title>"), std::string::npos);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;&amp;&#39;&quot;"), std::string::npos);
    // Controls show as their pictures: a tab as U+2409, a newline as U+240A, escape as U+241B.
    EXPECT_NE(html.find("first\xE2\x90\x89hit"), std::string::npos);
    EXPECT_NE(html.find("new\xE2\x90\x8Aline,\xE2\x90\x9B"), std::string::npos);
    EXPECT_NE(html.find("<p>3 rows</p>"), std::string::npos);
    EXPECT_NE(html.find("<th class=\"c\">Impress</th>"), std::string::npos);

    // What a browser shows: the cells in the order of the list.
    QTextDocument page;
    page.setHtml(QString::fromStdString(html));
    const QString text = page.toPlainText();
    const qsizetype newest = text.indexOf(QString::fromUtf8("new\u240Aline"));
    const qsizetype oldest = text.indexOf(QString::fromUtf8("first\u2409hit"));
    EXPECT_GE(newest, 0);
    EXPECT_LT(newest, oldest);
    EXPECT_TRUE(text.contains(QString::fromUtf8("\\café\\")));
    EXPECT_TRUE(text.contains("<script>&'\""));
}

// HTML allows no control characters: C0 ones and DEL show as their pictures, the C1 ones (which have none)
// as U+FFFD; the characters either side of those ranges as themselves.
TEST(ListExport, HtmlShowsNoControlCharacterRaw) {
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"\x1F", "\xE2\x90\x9F"},
        {"\x20", " "},
        {"\x7E", "~"},
        {"\x7F", "\xE2\x90\xA1"},
        {"\xC2\x80", "\xEF\xBF\xBD"},
        {"\xC2\x9F", "\xEF\xBF\xBD"},
        {"\xC2\xA0", "\xC2\xA0"},
    };
    DetailListModel model;
    for (const auto& c : cases) {
        const std::string html = listexport::ToHtml(model, std::string("a") + c.text + "b");
        EXPECT_NE(html.find(std::string("<title>a") + c.shown + "b</title>"), std::string::npos) << c.text;
    }
}

TEST(ListExport, TheNameSaysTheFormElseTheDialogsChoiceAddsItsExtension) {
    using listexport::Format;
    const struct {
        const char* path;
        Format chosen;
        listexport::Target target;
    } cases[] = {
        {"/t/hits", Format::Csv, {"/t/hits.csv", Format::Csv}},
        {"/t/hits", Format::Html, {"/t/hits.html", Format::Html}},
        {"/t/hits.CSV", Format::Html, {"/t/hits.CSV", Format::Csv}},
        {"/t/hits.htm", Format::Csv, {"/t/hits.htm", Format::Html}},
        {"/t/hits.Html", Format::Csv, {"/t/hits.Html", Format::Html}},
        {"/t/hits.txt", Format::Csv, {"/t/hits.txt.csv", Format::Csv}},
        {"/t/csv", Format::Html, {"/t/csv.html", Format::Html}},
    };
    for (const auto& c : cases) EXPECT_EQ(listexport::TargetFor(c.path, c.chosen), c.target) << c.path;
}

}  // namespace
