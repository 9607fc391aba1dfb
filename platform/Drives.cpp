#include "platform/Drives.h"

// Placeholder until drive detection lands.
namespace platform {
std::vector<OpticalDrive> OpticalDrives() { return {}; }
bool ResolveFolder(const std::string&, std::string&) { return false; }
bool IsDriveText(const std::string& text) { return text.size() >= 2 && text[1] == ':'; }
}  // namespace platform
