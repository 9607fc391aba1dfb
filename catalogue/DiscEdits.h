#pragma once

#include <cstddef>
#include <string_view>

class CKavrelDoc;

namespace catalogue {

// Editing one disc of the catalogue: every entry whose label equals the disc's label, compared as exact
// bytes (case-sensitive, no trimming). Entries are never removed from the array; a deleted entry is blank.

// Blanks all five texts of every entry labelled `label` and returns how many. The document is marked
// modified whenever it holds at least one entry, matched or not.
std::size_t DeleteDisc(CKavrelDoc& doc, std::string_view label);

// Gives every entry labelled `oldLabel` the label `newLabel` and returns how many. The document is marked
// modified even when nothing matched.
std::size_t RelabelEntries(CKavrelDoc& doc, std::string_view oldLabel, std::string_view newLabel);

}  // namespace catalogue
