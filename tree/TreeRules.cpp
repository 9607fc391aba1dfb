#include "tree/TreeRules.h"

#include "catalogue/EntryStore.h"

namespace treerules {

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

std::vector<std::string_view> DiscRuns(const EntryStore& entries) {
    std::vector<std::string_view> labels;
    // Interned ids make the run test an integer compare; id 0 is the empty label of deleted entries.
    EntryStore::TextId previous = 0;
    for (std::size_t i = 0; i < entries.Size(); ++i) {
        const EntryStore::TextId id = entries.LabelId(i);
        if (id == 0 || id == previous) continue;
        previous = id;
        labels.push_back(entries.Label(i));
    }
    return labels;
}

}  // namespace treerules
