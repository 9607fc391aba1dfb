#include <gtest/gtest.h>

#include "search/Options.h"

namespace {

// The Find command's table: which boxes each of the eight option codes stands for.
TEST(SearchOptions, EachOptionCodeNamesItsBoxes) {
    struct Case {
        int code;
        search::Options options;
    };
    const Case cases[] = {
        {0, {false, false, false}}, {1, {false, false, true}},   {10, {false, true, false}},
        {11, {false, true, true}},  {100, {true, false, false}}, {101, {true, false, true}},
        {110, {true, true, false}}, {111, {true, true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.options.Code(), c.code);
        EXPECT_EQ(search::Options::FromCode(c.code), c.options) << c.code;
    }
    EXPECT_EQ(search::Options{}.Code(), 10) << "a new search includes files and folders only";
}

TEST(SearchOptions, NumbersThatAreNoOptionCodeNameNoOptions) {
    for (const int code : {-1, 2, 9, 12, 20, 99, 102, 112, 121, 200, 1000, 1111})
        EXPECT_FALSE(search::Options::FromCode(code).has_value()) << code;
}

}  // namespace
