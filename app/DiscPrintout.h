#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

#include "catalogue/Disc.h"

class CKavrelDoc;
class QWidget;

// The printed page of one catalogued disc: its entries (name, kind, folder, size) as a table.
namespace printout {

// The entries of the disc `label` and `row` name (catalogue::DiscFor) as an HTML table in catalogue order:
// the disc that its tree node and the contents list show.
QString DiscTableHtml(const CKavrelDoc& doc, std::string_view label, std::size_t row = catalogue::kAnyDisc);
// Asks for a printer with the print dialog and prints the disc's table; false when cancelled.
bool PrintDisc(QWidget* parent, const CKavrelDoc& doc, std::string_view label,
               std::size_t row = catalogue::kAnyDisc);

}  // namespace printout
