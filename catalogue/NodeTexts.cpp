#include "catalogue/NodeTexts.h"

namespace catalogue {

bool IsCatalogueRoot(std::string_view text) {
    return text == kImageRootText;
}

bool IsDriveNode(std::string_view text) {
    return text.starts_with(kDrivePrefix);
}

std::string DriveOfNode(std::string_view text) {
    return std::string(text.substr(text.size() < 3 ? 0 : text.size() - 3));
}

std::string DriveNodeText(std::string_view root) {
    std::string text(kDrivePrefix);
    text += root;
    return text;
}

}  // namespace catalogue
