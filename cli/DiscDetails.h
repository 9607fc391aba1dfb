#pragma once

#include <vector>

#include "catalogue/DiscRecord.h"
#include "cli/Listing.h"

// What the catalogue knows of a disc beyond its entries, as the listings of discs show it after the disc's
// own fields: the same columns whether or not the disc has a record, unknown values empty (null in JSON).
namespace cli {

// Appends the columns of a disc's record: catalogued, source, device, volume_label, file_system, serial,
// capacity, free, location and notes.
void AppendDetailColumns(std::vector<Listing::Column>& columns);
// Appends the values of `record` (null: a disc without one) under those columns; they point into it.
void AppendDetails(const catalogue::DiscRecord* record, std::vector<Listing::Value>& values);
// Appends absent values under those columns, for a record that stands for no disc (a line of totals).
void AppendNoDetails(std::vector<Listing::Value>& values);

}  // namespace cli
