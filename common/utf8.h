// UTF-8 and UTF-16 without the platform: one decoder of a code point that every reader of
// UTF-8 bytes builds on, and the encoders.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvela {

inline constexpr char32_t replacement_character = U'\uFFFD';

struct DecodedCodePoint {
    char32_t code_point;  // replacement_character when not valid
    std::size_t length;   // bytes taken, at least 1
    bool valid;
};

// Decodes the code point that `bytes` (not empty) begins with. Strict UTF-8: an overlong form, a
// surrogate, anything above U+10FFFF, a stray continuation byte or a cut sequence is not valid,
// and `length` is then the maximal subpart of a well-formed sequence (what a browser replaces by
// one U+FFFD).
DecodedCodePoint decode_utf8(std::string_view bytes);

bool is_valid_utf8(std::string_view bytes);

// `code_point` must be a Unicode scalar value (no surrogate, at most U+10FFFF).
void append_utf8(std::string& text, char32_t code_point);
void append_utf16(std::u16string& units, char32_t code_point);

// The rule for text that comes from the system as UTF-16: nothing when it holds an unpaired
// surrogate, which no UTF-8 text can stand for.
std::optional<std::string> utf8_from_utf16(std::u16string_view units);

}  // namespace tarvela
