#include <gtest/gtest.h>

#include "ascii_case.h"

namespace tarvela {
namespace {

TEST(AsciiCase, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(equal_ignoring_ascii_case("HttPS", "https"));
    EXPECT_TRUE(equal_ignoring_ascii_case("", ""));
    EXPECT_FALSE(equal_ignoring_ascii_case("http", "https"));
    EXPECT_FALSE(equal_ignoring_ascii_case("@[`{", "`{@["));    // the neighbours of the letters
    EXPECT_FALSE(equal_ignoring_ascii_case("\xC3\x80", "\xC3\xA0"));  // À and à stay apart
    for (int c = 0; c < 256; ++c) {
        const char byte = static_cast<char>(c);
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        EXPECT_EQ(ascii_lower(byte) != byte, c >= 'A' && c <= 'Z') << c;
        EXPECT_EQ(equal_ignoring_ascii_case(std::string(1, byte), std::string(1, static_cast<char>(c ^ 0x20))), letter) << c;
    }
}

TEST(AsciiCase, FindsAPartAnywhere) {
    EXPECT_TRUE(contains_ignoring_ascii_case("C:\\Program Files\\EDGE\\application\\", "\\Edge\\Application\\"));
    EXPECT_TRUE(contains_ignoring_ascii_case("abc", ""));
    EXPECT_TRUE(contains_ignoring_ascii_case("abC", "c"));
    EXPECT_FALSE(contains_ignoring_ascii_case("ab", "abc"));
    EXPECT_FALSE(contains_ignoring_ascii_case("\\Edge\\Applicatio", "\\Edge\\Application\\"));
}

}  // namespace
}  // namespace tarvela
