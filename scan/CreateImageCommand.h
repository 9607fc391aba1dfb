#pragma once

#include <string>
#include <string_view>

#include "catalogue/EntryStore.h"

class CKavrelDoc;
class IMessages;

// The create-image command's steps, headless, so that the frame, the CLI and the tests share them.
namespace scan {

inline constexpr const char* kBadLabelMessage = "Error:empty or blan";
inline constexpr const char* kFinishedMessage = "Search finished!!!";
inline constexpr const char* kNoDriveMessage = "CD/DVD Driver error!";

// A label is accepted when it is not empty and does not begin with a blank.
bool IsLabelAccepted(std::string_view label);

// After a completed walk: appends `walked` to the document (marking it modified when anything was added),
// shows "Search finished!!!", stores the label in m_strLastLabel and sends hint::kDiscAdded to every
// view.
void FinishCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const EntryStore& walked);

enum class Outcome { BadLabel, Done };

// The whole command without a dialog, progress or thread (CLI and tests): label check ("Error:empty or
// blan" and nothing changed when refused), walk of `drive`, then FinishCreateImage.
Outcome RunCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const std::string& drive);

}  // namespace scan
