// The decoder against a naive model of UTF-8 over every short byte sequence, and the encoders.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "utf8.h"

namespace tarvela {
namespace {

bool is_scalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// A well-formed encoding, by the bit patterns alone and then re-encoded, so that an overlong
// form (which re-encodes shorter) is not one.
bool is_encoding(std::string_view s) {
    if (s.empty()) return false;
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >> 5 == 0x6 ? 2 : lead >> 4 == 0xE ? 3 : lead >> 3 == 0x1E ? 4 : 0;
    if (length == 0 || s.size() != length) return false;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(s[i]);
        if (byte >> 6 != 0x2) return false;
        c = (c << 6) | (byte & 0x3F);
    }
    std::string again;
    if (is_scalar(c)) append_utf8(again, c);
    return again == s;
}

// Some well-formed encoding begins with `s`: later continuation bytes are never constrained, so
// completing with the lowest or the highest one is enough to find out.
bool is_prefix_of_encoding(std::string_view s) {
    for (std::size_t length = s.size(); length <= 4; ++length) {
        for (const char filler : {'\x80', '\xBF'}) {
            if (is_encoding(std::string(s) + std::string(length - s.size(), filler))) return true;
        }
    }
    return false;
}

void expect_decoded_as_model(const std::string& s) {
    const DecodedCodePoint decoded = decode_utf8(s);
    ASSERT_GE(decoded.length, 1u);
    ASSERT_LE(decoded.length, s.size());
    const std::string taken = s.substr(0, decoded.length);
    if (decoded.valid) {
        std::string encoded;
        append_utf8(encoded, decoded.code_point);
        EXPECT_EQ(encoded, taken) << testing::PrintToString(s);
        return;
    }
    EXPECT_EQ(decoded.code_point, replacement_character);
    // What was taken is the longest start of the bytes that could still have become a character.
    for (std::size_t length = 1; length <= s.size(); ++length) {
        EXPECT_FALSE(is_encoding(s.substr(0, length))) << testing::PrintToString(s);
    }
    if (decoded.length > 1) {
        EXPECT_TRUE(is_prefix_of_encoding(taken)) << testing::PrintToString(s);
    }
    if (decoded.length < s.size()) {
        EXPECT_FALSE(is_prefix_of_encoding(s.substr(0, decoded.length + 1))) << testing::PrintToString(s);
    }
}

TEST(Utf8Decoder, AgreesWithTheModelOnEveryOneAndTwoByteSequence) {
    for (int first = 0; first < 256; ++first) {
        expect_decoded_as_model(std::string(1, static_cast<char>(first)));
        for (int second = 0; second < 256; ++second) {
            expect_decoded_as_model(std::string{static_cast<char>(first), static_cast<char>(second)});
        }
    }
}

TEST(Utf8Decoder, AgreesWithTheModelOnLongerSequencesAtEveryBoundary) {
    const unsigned char boundaries[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    for (int lead = 0xC0; lead < 256; ++lead) {
        for (int second = 0; second < 256; ++second) {
            for (const unsigned char third : boundaries) {
                const std::string three{static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third)};
                expect_decoded_as_model(three);
                for (const unsigned char fourth : boundaries) {
                    expect_decoded_as_model(three + static_cast<char>(fourth));
                }
            }
        }
    }
}

TEST(Utf8Decoder, EveryScalarValueRoundTripsThroughBothEncoders) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!is_scalar(c)) continue;
        std::string bytes;
        append_utf8(bytes, c);
        const DecodedCodePoint decoded = decode_utf8(bytes + "x");
        ASSERT_TRUE(decoded.valid && decoded.code_point == c && decoded.length == bytes.size()) << std::hex << static_cast<std::uint32_t>(c);
        std::u16string units;
        append_utf16(units, c);
        ASSERT_EQ(utf8_from_utf16(units), bytes) << std::hex << static_cast<std::uint32_t>(c);
    }
    EXPECT_TRUE(is_valid_utf8("gia' \xc3\xa8 \xe2\x82\xac \xf0\x9f\x8f\x8b"));
    EXPECT_FALSE(is_valid_utf8("ok\xc0\xa0"));
}

TEST(Utf16ToUtf8, EncodesEveryRangeAndRejectsLoneSurrogates) {
    EXPECT_EQ(utf8_from_utf16(u"\u007F\u0080\u07FF\u0800\uFFFF"), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    EXPECT_EQ(utf8_from_utf16(u"\U00010000\U0010FFFF"), "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(utf8_from_utf16(std::u16string(1, u'\0')), std::string(1, '\0'));
    EXPECT_EQ(utf8_from_utf16(u"\xD7FF\xE000"), "\xED\x9F\xBF\xEE\x80\x80");
    EXPECT_FALSE(utf8_from_utf16(u"a\xD83D"));
    EXPECT_FALSE(utf8_from_utf16(u"\xDE00\xD83D"));
    EXPECT_FALSE(utf8_from_utf16(u"\xD83D\xD83D\xDE00"));
}

}  // namespace
}  // namespace tarvela
