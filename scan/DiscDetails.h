#pragma once

#include <string>

#include "catalogue/DiscRecord.h"

// The record a disc gets in the catalogue when it is catalogued, headless: the window's walk, a batch of
// images and the CLI share it.
namespace scan {

// What can be read of the disc that the drive text, folder or image file `drive` names, with the time now
// as when it was catalogued and `drive` as its source (a relative path made absolute). Never fails: what
// cannot be read stays unknown; the user's location and notes stay empty.
catalogue::DiscRecord ReadDiscRecord(const std::string& drive);

}  // namespace scan
