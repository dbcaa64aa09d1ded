#include "utf8.h"

namespace tarvela {

DecodedCodePoint decode_utf8(std::string_view bytes) {
    const auto byte = [bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1, true};
    // The second byte's range excludes overlong forms (E0, F0), surrogates (ED) and values above
    // U+10FFFF (F4); C0, C1 and F5 to FF never begin a sequence.
    std::size_t continuations = 0;
    char32_t code_point = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuations = 1, code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuations = 2, code_point = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuations = 3, code_point = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {replacement_character, 1, false};
    }
    std::size_t length = 1;
    for (; length <= continuations; ++length) {
        if (length == bytes.size() || byte(length) < low || byte(length) > high) {
            return {replacement_character, length, false};
        }
        code_point = (code_point << 6) | (byte(length) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {code_point, length, true};
}

bool is_valid_utf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const DecodedCodePoint decoded = decode_utf8(bytes);
        if (!decoded.valid) return false;
        bytes.remove_prefix(decoded.length);
    }
    return true;
}

void append_utf8(std::string& text, char32_t code_point) {
    if (code_point < 0x80) {
        text += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        text += static_cast<char>(0xC0 | (code_point >> 6));
        text += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        text += static_cast<char>(0xE0 | (code_point >> 12));
        text += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code_point >> 18));
        text += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

void append_utf16(std::u16string& units, char32_t code_point) {
    if (code_point < 0x10000) {
        units += static_cast<char16_t>(code_point);
    } else {
        units += static_cast<char16_t>(0xD800 + ((code_point - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF));
    }
}

std::optional<std::string> utf8_from_utf16(std::u16string_view units) {
    std::string text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code_point = units[i];
        if (code_point >= 0xDC00 && code_point <= 0xDFFF) return std::nullopt;
        if (code_point >= 0xD800 && code_point <= 0xDBFF) {
            if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return std::nullopt;
            code_point = 0x10000 + ((code_point - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        append_utf8(text, code_point);
    }
    return text;
}

}  // namespace tarvela
