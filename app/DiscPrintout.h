#pragma once

#include <QString>
#include <string_view>

class CKavrelDoc;
class QWidget;

// The printed page of one catalogued disc: its entries (name, kind, folder, size) as a table.
namespace printout {

// The disc's entries as an HTML table in catalogue order: the first unbroken run of entries with the label,
// the disc that the tree node and the contents list show.
QString DiscTableHtml(const CKavrelDoc& doc, std::string_view label);
// Asks for a printer with the print dialog and prints the disc's table; false when cancelled.
bool PrintDisc(QWidget* parent, const CKavrelDoc& doc, std::string_view label);

}  // namespace printout
