#pragma once

#include <string>
#include <string_view>
#include <vector>

class EntryStore;

// What a tree node stands for is read from its text alone; these are the rules, and the disc runs that
// become the nodes under the catalogue root.
namespace treerules {

inline constexpr std::string_view kImageRootText = "CD Image files";
inline constexpr std::string_view kDrivePrefix = "CD/DVD Driver:";

// True for the catalogue root node's text.
bool IsCatalogueRoot(std::string_view text);
// True when the text names a drive node (it begins with the drive prefix, whatever follows).
bool IsDriveNode(std::string_view text);
// The drive a drive node stands for: the last three characters of its text.
std::string DriveOfNode(std::string_view text);
// The text of the drive node for a drive root ("E:\" gives "CD/DVD Driver:E:\").
std::string DriveNodeText(std::string_view root);

// The labels of the disc nodes, in catalogue order: a node starts at every non-empty label that differs
// from the last non-empty label before it. The views stay valid as long as the store's texts do.
std::vector<std::string_view> DiscRuns(const EntryStore& entries);

}  // namespace treerules
