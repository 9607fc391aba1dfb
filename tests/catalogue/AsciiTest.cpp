#include <gtest/gtest.h>

#include <random>
#include <string>

#include "catalogue/Ascii.h"

// IsAscii tests eight bytes at a time, in overlapping words; a byte-by-byte look must agree wherever the high
// byte lies, in texts short and long.
TEST(Ascii, IsAsciiAgreesWithAByteByByteLook) {
    const auto naive = [](const std::string& text) {
        for (const char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        }
        return true;
    };
    std::mt19937 random(77);
    for (int round = 0; round < 5000; ++round) {
        std::string text(random() % 80, 'a');
        for (char& c : text) c = static_cast<char>(random() % 0x80);
        if (!text.empty() && random() % 2) text[random() % text.size()] = static_cast<char>(0x80 | random());
        // Views that start anywhere, so that the eight-byte words fall across every alignment.
        const std::size_t from = text.empty() ? 0 : random() % text.size();
        const std::string part = text.substr(from);
        ASSERT_EQ(catalogue::IsAscii(std::string_view(text).substr(from)), naive(part)) << round;
        ASSERT_EQ(catalogue::IsAscii(text), naive(text)) << round;
    }
}
