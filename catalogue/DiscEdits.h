#pragma once

#include <cstddef>
#include <string_view>

#include "catalogue/Disc.h"
#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"

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

// Puts the entries of `walked` (a new walk of the disc) in place of the entries of `disc`, where the disc
// stands: they take the disc's label, and the rows after it move, their disc records and times with them.
// The disc gets `record` (the new walk's) as its record, keeping the location and notes of the one it had.
// Rows of the range that are no entry of the disc and not deleted (entries without a label) stay, right
// after the new entries; deleted rows and the records of discs it had come to join go. Marks the document
// modified. Returns the disc as it now stands; a disc without entries when nothing changed: `disc` had no
// entries, `walked` had none (a disc is never emptied this way), or memory ran out.
Disc ReplaceDisc(CKavrelDoc& doc, const Disc& disc, const EntryStore& walked, DiscRecord record);

}  // namespace catalogue
