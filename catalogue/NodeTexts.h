#pragma once

#include <string>
#include <string_view>

// What a node of the catalogue tree stands for is read from its text alone: the catalogue root, a drive,
// or else the disc whose label the text is. A label that reads like the root or a drive is taken for it.
namespace catalogue {

inline constexpr std::string_view kImageRootText = "CD Image files";
inline constexpr std::string_view kDrivePrefix = "CD/DVD Driver:";

// True for the catalogue root node's text.
bool IsCatalogueRoot(std::string_view text);
// True when the text names a drive node (it begins with the drive prefix, whatever follows).
bool IsDriveNode(std::string_view text);
// The drive a drive node stands for: a drive node's text ends with the drive's root, so its last three
// characters (a label that only reads like a drive node gives three characters that name no drive).
std::string DriveOfNode(std::string_view text);
// The text of the drive node for a drive root ("E:\" gives "CD/DVD Driver:E:\").
std::string DriveNodeText(std::string_view root);

}  // namespace catalogue
