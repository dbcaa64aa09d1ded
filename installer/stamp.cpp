#include "stamp.hpp"

#include <cstddef>
#include <optional>

namespace installer {
namespace {

struct Decoded {
  char32_t code_point;
  std::size_t length;
};

unsigned char byte_at(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

bool is_continuation(std::string_view text, std::size_t i) {
  return i < text.size() && (byte_at(text, i) & 0xc0) == 0x80;
}

// Decodes the sequence starting at `at`, or nothing when it is not well formed.
std::optional<Decoded> decode(std::string_view text, std::size_t at) {
  const unsigned char lead = byte_at(text, at);
  if (lead < 0x80) return Decoded{lead, 1};
  std::size_t length;
  char32_t minimum;
  char32_t code_point;
  if ((lead & 0xe0) == 0xc0) {
    length = 2, minimum = 0x80, code_point = lead & 0x1f;
  } else if ((lead & 0xf0) == 0xe0) {
    length = 3, minimum = 0x800, code_point = lead & 0x0f;
  } else if ((lead & 0xf8) == 0xf0) {
    length = 4, minimum = 0x10000, code_point = lead & 0x07;
  } else {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (!is_continuation(text, at + i)) return std::nullopt;
    code_point = (code_point << 6) | (byte_at(text, at + i) & 0x3f);
  }
  if (code_point < minimum || code_point > 0x10ffff) return std::nullopt;
  if (code_point >= 0xd800 && code_point <= 0xdfff) return std::nullopt;
  return Decoded{code_point, length};
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0d) || c == 0x20 || c == 0x85 || c == 0xa0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200a) || c == 0x2028 || c == 0x2029 || c == 0x202f || c == 0x205f ||
         c == 0x3000;
}

// Start of the code point that ends just before `end` (the text is valid UTF-8).
std::size_t previous_start(std::string_view text, std::size_t end) {
  std::size_t start = end - 1;
  while (start > 0 && (byte_at(text, start) & 0xc0) == 0x80) --start;
  return start;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    auto decoded = decode(bytes, at);
    if (!decoded) return false;
    at += decoded->length;
  }
  return true;
}

std::string_view trim_unicode_white_space(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    auto decoded = decode(text, begin);
    if (!decoded || !is_white_space(decoded->code_point)) break;
    begin += decoded->length;
  }
  std::size_t end = text.size();
  while (end > begin) {
    const std::size_t start = previous_start(text, end);
    auto decoded = decode(text, start);
    if (!decoded || !is_white_space(decoded->code_point)) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

bool stamp_matches(std::string_view stamp, std::string_view build_id) {
  return is_valid_utf8(stamp) && trim_unicode_white_space(stamp) == build_id;
}

}  // namespace installer
