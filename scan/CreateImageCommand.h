#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"

class CKavrelDoc;
class IMessages;
namespace scan {
class DiscWalker;
}

// The create-image command's steps, headless, so that the frame, the CLI and the tests share them.
namespace scan {

inline constexpr const char* kBadLabelMessage = "Error:empty or blan";
inline constexpr const char* kFinishedMessage = "Search finished!!!";
inline constexpr const char* kNoDriveMessage = "CD/DVD Driver error!";
// Asked when a window is closed while a disc is being read.
inline constexpr const char* kStopWalkQuestion = "Stop cataloguing the disc?";

// A label is accepted when it is not empty and does not begin with a blank.
bool IsLabelAccepted(std::string_view label);

// The message that refuses an image file: it names the file and gives the reason the library found.
std::string ImageRefusedMessage(const std::string& image, const std::string& reason);
// The message that refuses what `walker` could not read when walking `drive`: an image file as
// ImageRefusedMessage does, anything else naming `drive` with the system's reason.
std::string WalkRefusedMessage(const DiscWalker& walker, const std::string& drive);

// Appends `walked` to the document (marking it modified when anything was added), with `record` as the
// record of the disc under its first new row; stops at the first entry memory could not be found for.
// Returns how many entries were added.
std::size_t AppendWalked(CKavrelDoc& doc, const EntryStore& walked, const catalogue::DiscRecord& record);
// Tells the views that the disc labelled `label` was added: m_strLastLabel, then hint::kDiscAdded.
void AnnounceDisc(CKavrelDoc& doc, const std::string& label);

// After a completed walk: appends `walked` and the disc's `record` to the document as AppendWalked does,
// shows "Search finished!!!", stores the label in m_strLastLabel and sends hint::kDiscAdded to every
// view.
void FinishCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const EntryStore& walked, const catalogue::DiscRecord& record);

// Asks, for every label of `labels` (the labels typed for the discs about to be catalogued, in order) that
// already names a disc of `store` or an earlier disc of `labels`, whether to catalogue under it all the
// same: the discs would show as one where they stand next to each other. Yes/No, No by default; true when
// every answer was Yes or there was nothing to ask.
bool ConfirmSameLabels(IMessages& messages, const EntryStore& store, const std::vector<std::string>& labels);

enum class Outcome { BadLabel, Refused, Done };

// The whole command without a dialog, progress or thread (CLI and tests): label check ("Error:empty or
// blan" and nothing changed when refused), walk of `drive`, then FinishCreateImage. A path that names an
// image file the library cannot read, or nothing readable at all, is refused with WalkRefusedMessage and
// changes nothing. With `checksums`, every file is read and its checksum kept (DiscWalker::SetChecksums).
Outcome RunCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const std::string& drive, bool checksums = false);

}  // namespace scan
