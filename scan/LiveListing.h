#pragma once

#include <functional>
#include <string>

#include "scan/LiveRow.h"

class CKavrelDoc;

// Live listings: one folder of the disc in a drive, read now, as rows for the contents list. The tree's
// drive nodes, the frame's refresh on a disc's arrival and the contents list's own folder walk all list
// through here.
namespace scan {

// Lists `folder` (a drive text such as "E:\DOCS\", whose drive may be a disc image) in the volume's order,
// calling `row` once per item; false when it cannot be listed.
bool ListLiveRows(const std::string& folder, const std::function<void(LiveRow row)>& row);

// Tells every view of `doc` the live listing of a drive's root folder: hint::kLiveListing with
// m_strDriveRoot, then hint::kLiveRow once per item with m_nListRow and m_strListRow. A drive that cannot
// be listed, or a root that is no drive text, gives hint::kLiveListing only.
void BroadcastDriveListing(CKavrelDoc& doc, const std::string& root);

}  // namespace scan
