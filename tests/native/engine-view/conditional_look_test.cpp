#include "view/conditional_look.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "card_fixtures.h"
#include "core/xlsx_reader.h"
#include "view/controller.h"
#include "view/display_list.h"
#include "view/painter.h"

namespace stilaro::view {
namespace {

CellAddress at(std::string_view a1) { return *parse_address(a1); }

TEST(ConditionalLook, CellValueRuleTakesFillAndFontOfItsFormatAndFollowsTheCells) {
  Workbook wb = drawn_card();
  {
    const ConditionalLooks looks(wb, 0, {});
    const ConditionalLook heavy = looks.at(at("G3"));  // 100 kg > 90
    EXPECT_EQ(heavy.fill, 0xFFFFC7CEu);
    EXPECT_EQ(heavy.text_colour, 0xFF9C0006u);
    EXPECT_EQ(heavy.bold, true);
    EXPECT_TRUE(looks.at(at("F3")).empty());  // exactly 90 is not over
    EXPECT_TRUE(looks.at(at("A3")).empty());  // outside the range
  }
  wb.sheets[0].cell_at(at("B2")).value = Value::of_number(95);
  wb.sheets[0].cell_at(at("G3")).value = Value::of_text("riposo");  // text sorts after numbers
  const ConditionalLooks looks(wb, 0, {});
  EXPECT_EQ(looks.at(at("B2")).fill, 0xFFFFC7CEu);
  EXPECT_EQ(looks.at(at("G3")).fill, 0xFFFFC7CEu);
}

TEST(ConditionalLook, FormulaRuleMovesItsRelativeReferencesWithTheCell) {
  Workbook wb = drawn_card();
  const ConditionalLooks before(wb, 0, {});
  EXPECT_EQ(before.at(at("H2")).fill, 0xFFC6EFCEu);  // 60 >= 55
  EXPECT_EQ(before.at(at("H2")).text_colour, 0xFF006100u);
  EXPECT_FALSE(before.at(at("H2")).bold.has_value());
  EXPECT_TRUE(before.at(at("H5")).empty());  // 42.5 < 45
  wb.sheets[0].cell_at(at("G5")).value = Value::of_number(45);
  EXPECT_EQ(ConditionalLooks(wb, 0, {}).at(at("H5")).fill, 0xFFC6EFCEu);
}

TEST(ConditionalLook, ColourScaleRunsThroughItsStopsAndDataBarsGrowWithTheValue) {
  const Workbook wb = drawn_card();
  const ConditionalLooks looks(wb, 0, {});
  // Volumes 210 … 322.5: the smallest takes the first colour, the largest the last.
  EXPECT_EQ(looks.at(at("B8")).fill, 0xFFF8696Bu);
  EXPECT_EQ(looks.at(at("G8")).fill, 0xFF63BE7Bu);
  const std::uint32_t mid = *looks.at(at("D8")).fill;  // 260, below the median 270
  EXPECT_NE(mid, 0xFFF8696Bu);
  EXPECT_NE(mid, 0xFFFFEB84u);
  EXPECT_GT((mid >> 16) & 0xFF, 0xF8u);  // between red and yellow: red rises towards FF
  // Reps 8, 6, 5, 10.
  EXPECT_DOUBLE_EQ(looks.at(at("I4")).bar, 0.1);
  EXPECT_DOUBLE_EQ(looks.at(at("I5")).bar, 0.9);
  EXPECT_NEAR(looks.at(at("I2")).bar, 0.58, 1e-9);
  EXPECT_EQ(looks.at(at("I2")).bar_colour, 0xFF638EC6u);
  EXPECT_EQ(looks.at(at("I7")).bar, 0);
}

TEST(ConditionalLook, EarlierRulesWinAndStopIfTrueEndsTheSearch) {
  Workbook wb;
  Sheet s;
  s.name = "S";
  s.cell_at({0, 0}).value = Value::of_number(5);
  s.cell_at({1, 0}).value = Value::of_number(15);
  DifferentialFormat red, bold_blue;
  red.fill = Color{Color::Kind::Rgb, 0xFFFF0000};
  bold_blue.fill = Color{Color::Kind::Rgb, 0xFF0000FF};
  bold_blue.bold = true;
  wb.styles.differential_formats = {red, bold_blue};
  ConditionalRule below10{ConditionalRule::Type::CellIs, "lessThan", {"10"}, 0u, 2, false, {}, {}};
  ConditionalRule any{ConditionalRule::Type::Expression, "", {"TRUE"}, 1u, 1, false, {}, {}};
  s.conditional_formats.push_back({{*parse_range("A1:A2")}, {below10, any}});
  wb.sheets = {s};
  // The rule of priority 1 comes first: its fill stays, the later rule only adds what is unset.
  EXPECT_EQ(ConditionalLooks(wb, 0, {}).at({0, 0}).fill, 0xFF0000FFu);
  wb.sheets[0].conditional_formats[0].rules[1].priority = 3;
  const ConditionalLook a1 = ConditionalLooks(wb, 0, {}).at({0, 0});
  EXPECT_EQ(a1.fill, 0xFFFF0000u);
  EXPECT_EQ(a1.bold, true);
  wb.sheets[0].conditional_formats[0].rules[0].stop_if_true = true;
  EXPECT_FALSE(ConditionalLooks(wb, 0, {}).at({0, 0}).bold.has_value());
  EXPECT_EQ(ConditionalLooks(wb, 0, {}).at({1, 0}).fill, 0xFF0000FFu);  // 15 skips the first rule
}

// What the painter sends for the card: conditional fills, bars and patterns at their cells.
TEST(ConditionalLook, PainterDrawsConditionalFillsBarsAndPatterns) {
  Controller c;
  ASSERT_EQ(c.open(fixture("drawn-card.xlsx"), 0), "");
  c.resize(1320, 880);
  DisplayList d;
  paint(c, d);
  const auto& w = d.words();
  std::vector<std::uint32_t> rect_colours, hatches;
  for (std::size_t i = 0; i < w.size();) {
    const auto op = static_cast<Op>(w[i]);
    const std::size_t size = op == Op::rect ? 6 : op == Op::line ? 8 : op == Op::text ? 8 : op == Op::clip ? 5
                           : op == Op::unclip ? 1 : op == Op::filter_button ? 6 : op == Op::frame ? 7
                           : op == Op::pattern ? 8 : 5 + 2 * w[i + 1];
    if (op == Op::rect) rect_colours.push_back(w[i + 5]);
    if (op == Op::pattern) hatches.push_back(w[i + 5]);
    i += size;
  }
  auto has = [&](std::uint32_t colour) { return std::count(rect_colours.begin(), rect_colours.end(), colour) > 0; };
  EXPECT_TRUE(has(0xFFFFC7CE));
  EXPECT_TRUE(has(0xFFC6EFCE));
  EXPECT_TRUE(has(0xFF638EC6));
  EXPECT_TRUE(has(0xFF63BE7B));
  const std::vector<std::uint32_t> expected = {
      static_cast<std::uint32_t>(Hatch::DarkGray), static_cast<std::uint32_t>(Hatch::LightGray),
      static_cast<std::uint32_t>(Hatch::DarkUp), static_cast<std::uint32_t>(Hatch::LightDown),
      static_cast<std::uint32_t>(Hatch::DarkGrid), static_cast<std::uint32_t>(Hatch::LightHorizontal)};
  EXPECT_EQ(hatches, expected);
}

}  // namespace
}  // namespace stilaro::view
