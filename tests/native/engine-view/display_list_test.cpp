#include "view/display_list.h"

#include <gtest/gtest.h>

#include <cstring>

namespace stilaro::view {
namespace {

float as_float(std::uint32_t w) {
  float f;
  std::memcpy(&f, &w, sizeof f);
  return f;
}

// The glue reads these exact word layouts; a change here must change draw.js too.
TEST(DisplayList, WordsFollowTheLayoutTheGlueReads) {
  DisplayList d;
  d.rect(1, 2, 3, 4, 0xFF112233);
  TextStyle s;
  s.size_px = 14.5;
  s.bold = true;
  s.align = Align::right;
  d.text(10, 20, "Panca è", s);
  d.text(0, 0, "x", s);
  const auto& w = d.words();
  ASSERT_EQ(w.size(), 6u + 8u + 8u);
  EXPECT_EQ(w[0], static_cast<std::uint32_t>(Op::rect));
  EXPECT_FLOAT_EQ(as_float(w[3]), 3);
  EXPECT_EQ(w[5], 0xFF112233u);
  EXPECT_EQ(w[6], static_cast<std::uint32_t>(Op::text));
  EXPECT_EQ(w[9], 0xFF000000u);
  EXPECT_EQ(w[10], 2u | 4u);  // right, bold
  EXPECT_FLOAT_EQ(as_float(w[11]), 14.5f);
  EXPECT_EQ(d.strings().substr(w[12], w[13]), "Panca è");
  EXPECT_EQ(d.strings().substr(w[20], w[21]), "x");
  d.clear();
  EXPECT_TRUE(d.words().empty());
  EXPECT_TRUE(d.strings().empty());
}

// draw.js reads pattern and path words at these places too; a path of one point is nothing.
TEST(DisplayList, PatternAndPathWordsFollowTheGlue) {
  DisplayList d;
  d.pattern(1, 2, 3, 4, 9, 0xFF1F4E79, 0xFFFFFFFF);
  d.path({0, 0}, 1, 0xFF000000, false);
  d.path({10, 20, 30, 40, 50, 60}, 2, 0xFF4472C4, true);
  const auto& w = d.words();
  ASSERT_EQ(w.size(), 8u + 5u + 6u);
  EXPECT_EQ(w[0], static_cast<std::uint32_t>(Op::pattern));
  EXPECT_EQ(w[5], 9u);
  EXPECT_EQ(w[6], 0xFF1F4E79u);
  EXPECT_EQ(w[7], 0xFFFFFFFFu);
  EXPECT_EQ(w[8], static_cast<std::uint32_t>(Op::path));
  EXPECT_EQ(w[9], 3u);
  EXPECT_FLOAT_EQ(as_float(w[10]), 2);
  EXPECT_EQ(w[11], 0xFF4472C4u);
  EXPECT_EQ(w[12], 1u);
  EXPECT_FLOAT_EQ(as_float(w[17]), 50);
  EXPECT_FLOAT_EQ(as_float(w[18]), 60);
}

}  // namespace
}  // namespace stilaro::view
