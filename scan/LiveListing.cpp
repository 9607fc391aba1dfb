#include "scan/LiveListing.h"

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Hints.h"
#include "platform/DirectoryListing.h"
#include "platform/Location.h"
#include "platform/Volume.h"

namespace scan {

namespace {

bool ListRows(const platform::Location& folder, const std::function<void(LiveRow row)>& row) {
    // An image is read once and kept while it is browsed; a mounted disc is listed from the system each time.
    const platform::VolumeFolder opened = platform::OpenVolume(folder);
    return opened && opened.volume->ListFolder(opened.parts, [&row](const platform::DirItem& item) {
        row(LiveRow::FromItem(item));
    });
}

}  // namespace

bool ListLiveRows(const std::string& folder, const std::function<void(LiveRow row)>& row) {
    return ListRows(platform::Location(folder), row);
}

void BroadcastDriveListing(CKavrelDoc& doc, const std::string& root) {
    doc.m_strDriveRoot = root;
    doc.UpdateAllViews(nullptr, hint::kLiveListing);
    doc.m_nListRow = 0;
    // Only a drive is listed live: a node text that merely looks like a drive node must not reach a folder
    // of the machine by its path.
    const platform::Location drive(root);
    if (!drive.IsDrive()) return;
    ListRows(drive, [&doc](LiveRow row) {
        doc.m_strListRow = {std::move(row.name), std::move(row.kind), std::move(row.size),
                            std::move(row.flag)};
        doc.UpdateAllViews(nullptr, hint::kLiveRow);
        ++doc.m_nListRow;
    });
    doc.m_nListRow = 0;
}

}  // namespace scan
