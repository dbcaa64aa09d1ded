#include "build_id.hpp"

#include <gtest/gtest.h>

#include <string_view>

namespace installer {
namespace {

std::span<const std::byte> bytes(std::string_view text) { return std::as_bytes(std::span(text)); }

TEST(BuildId, EmptyPayloadsGiveTheOffsetBasis) {
  EXPECT_EQ(build_id({bytes(""), bytes(""), bytes("")}), "cbf29ce484222325");
}

TEST(BuildId, MatchesPublishedFnv1aVectors) {
  EXPECT_EQ(build_id({bytes("a")}), "af63dc4c8601ec8c");
  EXPECT_EQ(build_id({bytes("foobar")}), "85944171f73967e8");
}

TEST(BuildId, HashesOneRunOverThePayloadsInOrder) {
  EXPECT_EQ(build_id({bytes("foo"), bytes("bar"), bytes("")}), build_id({bytes("foobar")}));
  EXPECT_NE(build_id({bytes("app"), bytes("loader"), bytes("icon")}),
            build_id({bytes("loader"), bytes("app"), bytes("icon")}));
}

TEST(BuildId, OneChangedByteChangesTheId) {
  EXPECT_NE(build_id({bytes("app\x01"), bytes("dll"), bytes("ico")}),
            build_id({bytes("app\x02"), bytes("dll"), bytes("ico")}));
}

TEST(BuildId, TextKeepsLeadingZerosAndIsLowerCase) {
  EXPECT_EQ(hex16(0), "0000000000000000");
  EXPECT_EQ(hex16(0xabull), "00000000000000ab");
  EXPECT_EQ(hex16(0xfedcba9876543210ull), "fedcba9876543210");
}

}  // namespace
}  // namespace installer
