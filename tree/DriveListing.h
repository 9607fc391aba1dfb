#pragma once

#include <string>

class CKavrelDoc;

// Tells every view of `doc` the live listing of a drive's root folder: hint 13 with m_strDriveRoot, then
// hint 14 once per item with m_nListRow and m_strListRow. A drive that cannot be listed gives hint 13 only.
// The tree's drive nodes and the frame's refresh on a disc's arrival both list a drive this way.
void BroadcastDriveListing(CKavrelDoc& doc, const std::string& root);
