#pragma once

#include <QString>
#include <string_view>

class CKavrelDoc;
class QWidget;

// The printed page of one catalogued disc: its entries (name, kind, folder, size) as a table.
namespace printout {

// The disc's entries as an HTML table in catalogue order, deleted entries left out.
QString DiscTableHtml(const CKavrelDoc& doc, std::string_view label);
// Asks for a printer with the print dialog and prints the disc's table; false when cancelled.
bool PrintDisc(QWidget* parent, const CKavrelDoc& doc, std::string_view label);

}  // namespace printout
