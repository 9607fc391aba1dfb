#include "app/DiscPrintout.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/TextForms.h"
#include "res/Texts.h"

namespace printout {

namespace {
QString Cell(std::string_view bytes) {
    std::string html;
    catalogue::AppendHtmlText(bytes, html);
    return QString::fromStdString(html);
}

// Kinds are stored with a trailing blank that means nothing on paper.
std::string_view Trimmed(std::string_view kind) {
    while (!kind.empty() && kind.back() == ' ') kind.remove_suffix(1);
    return kind;
}
}  // namespace

QString DiscTableHtml(const CKavrelDoc& doc, std::string_view label, std::size_t row) {
    const EntryStore& entries = doc.Entries();
    const catalogue::Disc disc = catalogue::DiscFor(entries, row, label);
    QString rows;
    for (std::size_t i = disc.first; i < disc.end; ++i) {
        if (!disc.Holds(entries, i)) continue;
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td align=\"right\">%4</td></tr>\n")
                    .arg(Cell(entries.Name(i)), Cell(Trimmed(entries.Kind(i))), Cell(entries.Path(i)),
                         Cell(entries.SizeText(i)));
    }
    const QString count =
        disc.entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(disc.entries);
    return QStringLiteral(
               "<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>\n"
               "<h2>%1</h2>\n<p>%2</p>\n"
               "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n"
               "<thead><tr><th align=\"left\">Name</th><th align=\"left\">Kind</th>"
               "<th align=\"left\">Path</th><th align=\"right\">Size</th></tr></thead>\n"
               "<tbody>\n%3</tbody></table>\n</body></html>\n")
        .arg(Cell(label), count, rows);
}

bool PrintDisc(QWidget* parent, const CKavrelDoc& doc, std::string_view label, std::size_t row) {
    QPrinter printer;
    printer.setDocName(ToQString(label));
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    QTextDocument page;
    page.setHtml(DiscTableHtml(doc, label, row));
    page.print(&printer);
    return true;
}

}  // namespace printout
