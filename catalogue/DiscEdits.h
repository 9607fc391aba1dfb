#pragma once

#include <cstddef>
#include <string_view>

#include "catalogue/Disc.h"

class CKavrelDoc;

namespace catalogue {

// Editing one disc of the catalogue: the entries of one disc as the tree finds it (DiscAt, DiscNodes),
// never another disc that happens to carry the same label. Entries are never removed from the array; a
// deleted entry is blank and keeps its slot.

// Blanks all five texts of every entry of `disc` and returns how many. The document is marked modified
// whenever it holds at least one entry, matched or not.
std::size_t DeleteDisc(CKavrelDoc& doc, const Disc& disc);

// Gives every entry of `disc` the label `newLabel` and returns how many. The document is marked modified
// even when nothing matched.
std::size_t RelabelDisc(CKavrelDoc& doc, const Disc& disc, std::string_view newLabel);

}  // namespace catalogue
