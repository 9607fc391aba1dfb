#include "platform/DirectoryListing.h"

// Placeholder until folder listings land.
namespace platform {
bool ListFolder(const std::string&, const std::function<void(const DirItem&)>&) { return false; }
}  // namespace platform
