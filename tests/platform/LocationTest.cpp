#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Location.h"

using platform::Location;

namespace {

// What a text names, in one line: "drive E:\ {DOCS,Sub} e:", "path /srv/x.iso", or "none".
std::string Read(const std::string& text) {
    const Location where(text);
    std::string read;
    if (where.IsDrive()) {
        read = "drive " + where.Root() + " {";
        for (const std::string& name : where.Names())
            read += name + (&name == &where.Names().back() ? "" : ",");
        read += "} " + where.Shown();
        if (where.Root() != std::string{where.Letter(), ':', '\\'} ||
            where.Root().size() != Location::kRootLength)
            read += " (root and letter disagree)";
    } else if (where.IsPath()) {
        read = "path " + where.Path();
        if (where.Shown() != where.Path() || !where.Names().empty()) read += " (shown or names wrong)";
    } else {
        read = "none";
        if (!where.Path().empty() || !where.Root().empty() || where.Letter() != '\0') read += " (not empty)";
    }
    return read;
}

}  // namespace

TEST(LocationTest, ATextIsReadAsADriveWithItsFoldersAPathOrNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"E:\\", "drive E:\\ {} E:"},
        {"e:", "drive E:\\ {} e:"},
        {"E:\\DOCS\\..\\", "drive E:\\ {} E:"},
        {"e:\\DOCS\\Sub", "drive E:\\ {DOCS,Sub} e:"},
        // '/' separates too; "." is dropped, ".." goes back but never above the root.
        {"z:\\.\\DOCS/Sub\\\\x\\..\\", "drive Z:\\ {DOCS,Sub} z:"},
        {"E:\\..\\..\\etc\\", "drive E:\\ {etc} E:"},
        {"E:\\DOCS/../../..", "drive E:\\ {} E:"},
        {"A:\\...\\", "drive A:\\ {...} A:"},
        {"/srv/x.iso", "path /srv/x.iso"},
        {"/srv/discs/", "path /srv/discs"},
        {"///", "path /"},
        {"", "none"},
        {"E", "none"},
        {":\\", "none"},
        {"\\", "none"},
        {"\\\\", "none"},
        {"E:DOCS", "none"},
        {"1:\\", "none"},
        // The characters either side of the letters.
        {"@:\\", "none"},
        {"[:\\", "none"},
        {"`:\\", "none"},
        {"{:\\", "none"},
        {"DOCS\\", "none"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Read(text), expected) << text;
}

TEST(LocationTest, OnlyARelativePathIsMadeAbsolute) {
    const std::string here = std::filesystem::current_path().string();
    const std::pair<std::string, std::string> cases[] = {
        {"disc.iso", here + "/disc.iso"},
        {"./copies/../discs/", here + "/discs/"},
        {"e:\\DOCS", "e:\\DOCS"},
        {"/srv/x.iso/", "/srv/x.iso/"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Location(text).Absolute().Text(), expected) << text;
}
