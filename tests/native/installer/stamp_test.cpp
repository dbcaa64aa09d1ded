#include "stamp.hpp"
#include "utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace installer {
namespace {

constexpr std::string_view id = "0123456789abcdef";

std::string utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xc0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else {
    out += static_cast<char>(0xe0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  }
  return out;
}

TEST(Stamp, AcceptsTheIdAloneOrFollowedByALineEnd) {
  EXPECT_TRUE(stamp_matches(id, id));
  EXPECT_TRUE(stamp_matches(std::string(id) + "\r\n", id));
  EXPECT_TRUE(stamp_matches(" \t" + std::string(id) + "\n\n", id));
}

TEST(Stamp, TrimsEveryUnicodeWhiteSpaceOnBothSides) {
  const char32_t spaces[] = {0x09,   0x0a,   0x0b,   0x0c,   0x0d,   0x20,   0x85,   0xa0,   0x1680,
                             0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
                             0x2009, 0x200a, 0x2028, 0x2029, 0x202f, 0x205f, 0x3000};
  for (char32_t space : spaces) {
    const std::string s = utf8(space);
    EXPECT_TRUE(stamp_matches(s + std::string(id) + s + s, id)) << "U+" << std::hex << int(space);
  }
}

TEST(Stamp, KeepsCharactersThatOnlyLookBlank) {
  EXPECT_FALSE(stamp_matches(std::string(id) + utf8(0x200b), id));  // zero width space
  EXPECT_FALSE(stamp_matches(std::string(id) + utf8(0x180e), id));  // Mongolian vowel separator
  EXPECT_FALSE(stamp_matches(std::string(id) + '\0', id));
}

TEST(Stamp, ComparesCaseSensitivelyAndWholly) {
  EXPECT_FALSE(stamp_matches("0123456789ABCDEF", id));
  EXPECT_FALSE(stamp_matches("0123456789abcde", id));
  EXPECT_FALSE(stamp_matches(std::string(id) + "0", id));
  EXPECT_FALSE(stamp_matches("01234567 89abcdef", id));
  EXPECT_FALSE(stamp_matches("", id));
}

TEST(Stamp, ByteOrderMarkMakesItDiffer) { EXPECT_FALSE(stamp_matches("\xef\xbb\xbf" + std::string(id), id)); }

TEST(Stamp, RejectsTextThatIsNotUtf8) {
  const std::string_view broken[] = {
      "\xff",              // never a UTF-8 byte
      "\x80",              // lone continuation
      "\xe2\x80",          // cut short
      "\xc0\xa0",          // overlong space
      "\xe0\x80\xa0",      // overlong space, three bytes
      "\xed\xa0\x80",      // surrogate
      "\xf4\x90\x80\x80",  // above U+10FFFF
  };
  for (std::string_view tail : broken) {
    EXPECT_FALSE(tarvela::is_valid_utf8(tail)) << testing::PrintToString(tail);
    EXPECT_FALSE(stamp_matches(std::string(id) + std::string(tail), id)) << testing::PrintToString(tail);
  }
  EXPECT_TRUE(tarvela::is_valid_utf8("gia' \xc3\xa8 \xe2\x82\xac \xf0\x9f\x8f\x8b"));
}

}  // namespace
}  // namespace installer
