#include "view/text_metrics.h"

#include <gtest/gtest.h>

namespace stilaro::view {
namespace {

TEST(TextMetrics, WidthsFollowTheCalibriTable) {
  EXPECT_EQ(advance_per_mille(U'0', false), 507);
  EXPECT_EQ(advance_per_mille(U'W', true), 906);
  EXPECT_EQ(advance_per_mille(U'\u00e8', true), 503);  // è
  EXPECT_EQ(advance_per_mille(U'\u20ac', false), 507);  // €
  EXPECT_EQ(advance_per_mille(U'\u4e2d', false), 620);  // not in the table
  // "10" at 11 pt: two digits of 507/1000 em, em = 11 pt = 14.67 px.
  EXPECT_NEAR(text_width_px("10", 11, false), 2 * 0.507 * 11 * 4 / 3, 1e-9);
  EXPECT_NEAR(text_width_px("°", 11, false), 0.339 * 11 * 4 / 3, 1e-9);
}

// Italic letters have their own advances (an italic "a" is wider than an upright one),
// and the letters of names beyond Italian are measured, not guessed.
TEST(TextMetrics, ItalicAndAccentedLettersHaveTheirOwnWidths) {
  EXPECT_EQ(advance_per_mille(U'a', false, true), 514);
  EXPECT_EQ(advance_per_mille(U'a', true, true), 528);
  EXPECT_EQ(advance_per_mille(U'0', true, true), 507);
  EXPECT_GT(text_width_px("gamba", 11, false, true), text_width_px("gamba", 11, false));
  EXPECT_EQ(advance_per_mille(U'\u00e1', false), advance_per_mille(U'a', false));  // á
  EXPECT_EQ(advance_per_mille(U'\u0161', true), advance_per_mille(U's', true));   // š
  EXPECT_EQ(advance_per_mille(U'\u00ba', false), 422);  // º of "1º"
  // Wrapping measures italic text in italic: an upright fit breaks in italic.
  const double upright = text_width_px("gamba gamba", 11, false);
  EXPECT_EQ(wrap_lines("gamba gamba", 11, false, upright).size(), 1u);
  EXPECT_EQ(wrap_lines("gamba gamba", 11, false, upright, true).size(), 2u);
}

TEST(TextMetrics, InvalidUtf8CountsAsOneReplacementEach) {
  std::string bad = "a\xC3";  // cut in the middle of a two-byte sequence
  std::size_t i = 1;
  EXPECT_EQ(next_code_point(bad, i), 0xFFFDu);
  EXPECT_EQ(i, 2u);
  std::string four = "\xF0\x9F\x98\x80";
  i = 0;
  EXPECT_EQ(next_code_point(four, i), 0x1F600u);
  EXPECT_EQ(i, 4u);
}

TEST(TextMetrics, WrapPlacesWordsAndBreaksLongOnes) {
  const double space = text_width_px(" ", 11, false);
  const double word = text_width_px("PANCA", 11, false);
  // Room for exactly two words and a space.
  auto lines = wrap_lines("PANCA PANCA PANCA", 11, false, 2 * word + space);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "PANCA PANCA");
  EXPECT_EQ(lines[1], "PANCA");

  lines = wrap_lines("uno\r\ndue\rtre\nquattro", 11, false, 1000);
  EXPECT_EQ(lines, (std::vector<std::string>{"uno", "due", "tre", "quattro"}));

  // A word wider than the cell takes further lines, its rest on the last one.
  lines = wrap_lines("MMMMMMMMMM", 11, false, text_width_px("MMMM", 11, false));
  EXPECT_EQ(lines, (std::vector<std::string>{"MMMM", "MMMM", "MM"}));

  // An empty paragraph still takes a line.
  EXPECT_EQ(wrap_lines("a\n\nb", 11, false, 100).size(), 3u);
}

// Row fitting counts lines without making them: the count must follow every rule of the wrap.
TEST(TextMetrics, LineCountAgreesWithTheWrap) {
  const std::vector<std::string> texts = {
      "", " ", "  ", "PANCA PANCA PANCA", "uno\r\ndue\rtre\nquattro", "a\n\nb", "fine\r\n", "\n",
      "MMMMMMMMMM", "  spazi   doppi  e  in fondo  ", "Scendere sotto il parallelo, poi risalire piano",
      "caff\xC3\xA8 \xC3\xA0 \xE2\x80\x94 \xF0\x9F\x98\x80 fine", "\xFF\xFE rotto"};
  for (const std::string& t : texts)
    for (double width : {1.0, 16.0, 40.0, 64.0, 120.0, 1000.0})
      for (bool italic : {false, true})
        EXPECT_EQ(wrapped_line_count(t, 11, !italic, width, italic), wrap_lines(t, 11, !italic, width, italic).size())
            << '"' << t << "\" at " << width;
}

TEST(TextMetrics, UnitsMatchTheCardLook) {
  EXPECT_DOUBLE_EQ(line_height_pt(11), 15);
  EXPECT_DOUBLE_EQ(line_height_pt(20), 27);
  EXPECT_DOUBLE_EQ(line_height_pt(16), 22);  // 16 * 1.37 = 21.92, up to a quarter point
  // 9.140625 characters is the usual 64-pixel column.
  EXPECT_DOUBLE_EQ(column_px(9.140625), 64);
  EXPECT_DOUBLE_EQ(column_px(0), 0);
  for (double px : {20.0, 64.0, 210.0, 290.0}) EXPECT_DOUBLE_EQ(column_px(column_chars(px)), px) << px;
}

}  // namespace
}  // namespace stilaro::view
