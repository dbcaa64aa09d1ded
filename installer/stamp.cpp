#include "stamp.hpp"

#include <cstddef>

#include "utf8.h"

namespace installer {
namespace {

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0d) || c == 0x20 || c == 0x85 || c == 0xa0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200a) || c == 0x2028 || c == 0x2029 || c == 0x202f || c == 0x205f ||
         c == 0x3000;
}

bool starts_with_white_space(std::string_view text, std::size_t at) {
  const tarvela::DecodedCodePoint decoded = tarvela::decode_utf8(text.substr(at));
  return decoded.valid && is_white_space(decoded.code_point);
}

unsigned char byte_at(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

// Start of the code point that ends just before `end` (the text is valid UTF-8).
std::size_t previous_start(std::string_view text, std::size_t end) {
  std::size_t start = end - 1;
  while (start > 0 && (byte_at(text, start) & 0xc0) == 0x80) --start;
  return start;
}

}  // namespace

std::string_view trim_unicode_white_space(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && starts_with_white_space(text, begin)) {
    begin += tarvela::decode_utf8(text.substr(begin)).length;
  }
  std::size_t end = text.size();
  while (end > begin) {
    const std::size_t start = previous_start(text, end);
    if (!starts_with_white_space(text, start)) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

bool stamp_matches(std::string_view stamp, std::string_view build_id) {
  return tarvela::is_valid_utf8(stamp) && trim_unicode_white_space(stamp) == build_id;
}

}  // namespace installer
