#include "catalogue/NodeTexts.h"

#include "platform/Location.h"

namespace catalogue {

bool IsCatalogueRoot(std::string_view text) {
    return text == kImageRootText;
}

bool IsDriveNode(std::string_view text) {
    return text.starts_with(kDrivePrefix);
}

std::string DriveOfNode(std::string_view text) {
    constexpr std::size_t kRoot = platform::Location::kRootLength;
    return std::string(text.substr(text.size() < kRoot ? 0 : text.size() - kRoot));
}

std::string DriveNodeText(std::string_view root) {
    std::string text(kDrivePrefix);
    text += root;
    return text;
}

}  // namespace catalogue
