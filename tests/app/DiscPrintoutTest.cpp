#include <gtest/gtest.h>

#include <QTextDocument>

#include "AppTestSupport.h"
#include "app/DiscPrintout.h"
#include "catalogue/CKavrelDoc.h"

namespace {

// The printout shows the disc that the tree node and the contents list mean: all of its own entries, past
// deleted ones, and never another disc that carries the label.
TEST(DiscPrintoutTest, TableHoldsTheNodesDiscInOrder) {
    CKavrelDoc doc;
    doc.AppendEntry("FIRST", "DOCS", kKindFolder, "\\", "0");
    doc.AppendEntry("FIRST", "A<B>.TXT", kKindFile, "\\DOCS\\", "1,234");
    doc.AppendEntry("", "", "", "", "");  // a deleted entry
    doc.AppendEntry("FIRST", "TAB\tNAME", kKindFile, "\\", "7");
    doc.AppendEntry("SECOND", "OTHER.TXT", kKindFile, "\\", "9");
    doc.AppendEntry("FIRST", "LATER.TXT", kKindFile, "\\", "5");

    const QString html = printout::DiscTableHtml(doc, "FIRST");
    EXPECT_TRUE(html.contains("A&lt;B&gt;.TXT"));
    EXPECT_TRUE(html.contains(QString::fromUtf8("TAB\u2409NAME")))
        << "a control character shows as its picture";
    EXPECT_FALSE(html.contains("OTHER.TXT"));
    EXPECT_FALSE(html.contains("LATER.TXT"));
    EXPECT_TRUE(html.contains("<p>3 entries</p>"));
    EXPECT_TRUE(printout::DiscTableHtml(doc, "FIRST", 5).contains("LATER.TXT")) << "the second disc's node";

    QTextDocument page;
    page.setHtml(html);
    const QString text = page.toPlainText();
    EXPECT_LT(text.indexOf("DOCS"), text.indexOf("A<B>.TXT"));
    EXPECT_TRUE(text.contains("folder"));
    EXPECT_TRUE(text.contains("\\DOCS\\"));
    EXPECT_TRUE(text.contains("1,234"));
}

TEST(DiscPrintoutTest, CountReadsAsEnglish) {
    CKavrelDoc doc;
    doc.AppendEntry("ONE", "X", kKindFile, "\\", "1");
    doc.AppendEntry("", "", "", "", "");  // a deleted entry: its empty label names no disc
    const std::pair<const char*, const char*> cases[] = {
        {"ONE", "<p>1 entry</p>"}, {"NONE", "<p>0 entries</p>"}, {"", "<p>0 entries</p>"}};
    for (const auto& [label, count] : cases) {
        EXPECT_TRUE(printout::DiscTableHtml(doc, label).contains(count)) << label;
    }
}

TEST(DiscPrintoutTest, LabelsAreShownAsTheCatalogueStoresThem) {
    CKavrelDoc doc;
    doc.AppendEntry("\xE9t\xE9", "X", kKindFile, "\\", "1");  // Windows-1252 bytes from an old catalogue
    const QString html = printout::DiscTableHtml(doc, "\xE9t\xE9");
    EXPECT_TRUE(html.contains(QString::fromUtf8("<h2>été</h2>")));
}

}  // namespace
