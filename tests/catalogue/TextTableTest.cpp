#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "catalogue/TextTable.h"

namespace {

// The obvious table: ids in the order texts first arrive, the empty text first.
class PlainTable {
public:
    TextTable::TextId Intern(const std::string& text) {
        return m_ids.emplace(text, static_cast<TextTable::TextId>(m_ids.size())).first->second;
    }
    void Clear() { m_ids = {{"", 0}}; }

private:
    std::map<std::string, TextTable::TextId> m_ids{{"", 0}};
};

// Texts that share a prefix, differ in case or by one byte, or hold bytes beyond ASCII: whatever a hash or
// a recent-id compare could mix up.
const std::vector<std::string> kTexts = {
    "",         "\\",           "\\A\\", "\\A\\B\\", "\\a\\",   "file ",
    "folder ",  "file",         "Disc",  "Disc 2",   "Disc 20", "disc",
    "Disc\xE9", "Disc\xC3\xA9", "x",     "y",        "\\A",     std::string("Disc\0 2", 7)};

// InternRecent with its recent ids per column, and Intern alone, give the ids the plain table gives, over
// runs and jumps such as a walk makes, across a Clear.
TEST(TextTable, RecentIdsAndTheIndexGiveThePlainTablesIds) {
    std::mt19937 random(31337);
    TextTable recent;
    TextTable hashed;
    PlainTable plain;
    std::vector<std::size_t> current(TextTable::kColumns, 0);
    for (int i = 0; i < 50000; ++i) {
        if (i == 30000) {
            recent.Clear();
            hashed.Clear();
            plain.Clear();
        }
        const int column = static_cast<int>(random() % TextTable::kColumns);
        if (random() % 3 == 0) current[column] = random() % kTexts.size();
        // Now and then a text none has seen, so that the index grows while the recent ids are in use.
        const std::string text = random() % 50 == 0 ? "new " + std::to_string(i) : kTexts[current[column]];
        const TextTable::TextId expected = plain.Intern(text);
        ASSERT_EQ(recent.InternRecent(column, text), expected) << i << " " << text;
        ASSERT_EQ(hashed.Intern(text), expected) << i << " " << text;
        ASSERT_EQ(recent.Text(expected), text) << i;
        ASSERT_EQ(recent.Find(text), expected) << i;
    }
    EXPECT_EQ(recent.Find("never interned"), TextTable::kNoId);
}

TEST(TextTable, ClearForgetsEveryTextButTheEmptyOne) {
    TextTable table;
    for (const std::string& text : kTexts) table.InternRecent(0, text);
    table.Clear();
    for (const std::string& text : kTexts)
        EXPECT_EQ(table.Find(text), text.empty() ? 0u : TextTable::kNoId) << text;
    // The recent ids went with the texts: the first text after the clear gets the first free id.
    EXPECT_EQ(table.InternRecent(0, "Disc 2"), 1u);
    EXPECT_EQ(table.Text(1), "Disc 2");
}

}  // namespace
