#include "view/cell_text.h"

#include <gtest/gtest.h>

#include "view/text_metrics.h"

namespace stilaro::view {
namespace {

Cell cell_of(Value v, std::uint32_t style = 0) {
  Cell c;
  c.value = std::move(v);
  c.style = style;
  return c;
}

TEST(CellText, GeneralAlignmentFollowsTheValue) {
  Workbook wb;
  EXPECT_EQ(cell_text(wb, cell_of(Value::of_number(82.5)), 64, 1).style.align, Align::right);
  EXPECT_EQ(cell_text(wb, cell_of(Value::of_text("PANCA")), 64, 1).style.align, Align::left);
  EXPECT_EQ(cell_text(wb, cell_of(Value::of_bool(true)), 64, 1).style.align, Align::centre);
  EXPECT_EQ(cell_text(wb, cell_of(Value::of_number(82.5)), 64, 1).lines, (std::vector<std::string>{"82,5"}));
}

TEST(CellText, WideNumbersTurnToHashesAndWideTextSpills) {
  Workbook wb;
  const CellText number = cell_text(wb, cell_of(Value::of_number(123456789012.0)), 30, 1);
  ASSERT_EQ(number.lines.size(), 1u);
  EXPECT_EQ(number.lines[0].find_first_not_of('#'), std::string::npos);
  EXPECT_LE(number.width, 30);
  EXPECT_FALSE(number.overflows);
  const CellText text = cell_text(wb, cell_of(Value::of_text("PANCA INCLINATA CON MANUBRI")), 30, 1);
  EXPECT_TRUE(text.overflows);
  EXPECT_EQ(text.lines.size(), 1u);
}

// A rule that makes text bold widens it: measured bold, a heading that fitted its cell
// regular spills on instead of losing its last letters at the cell's edge.
TEST(CellText, AConditionalFontIsMeasuredAsItIsDrawn) {
  Workbook wb;
  const std::string heading = "SCHEDA ALLENAMENTO";
  const double regular = text_width_px(heading, 11, false), bold = text_width_px(heading, 11, true);
  ASSERT_LT(regular + 1, bold);
  const double available = (regular + bold) / 2 + 6;
  EXPECT_FALSE(cell_text(wb, cell_of(Value::of_text(heading)), available, 1).overflows);
  ConditionalLook look;
  look.bold = true;
  look.text_colour = 0xFF9C0006;
  const CellText t = cell_text(wb, cell_of(Value::of_text(heading)), available, 1, &look);
  EXPECT_TRUE(t.style.bold);
  EXPECT_EQ(t.style.colour, 0xFF9C0006u);
  EXPECT_DOUBLE_EQ(t.width, bold);
  EXPECT_TRUE(t.overflows);
}

TEST(CellText, GeneralNumbersRoundToFitTheirCell) {
  Workbook wb;
  const CellText pi = cell_text(wb, cell_of(Value::of_number(3.14159265358)), 40, 1);
  ASSERT_EQ(pi.lines.size(), 1u);
  EXPECT_TRUE(pi.lines[0].starts_with("3,14")) << pi.lines[0];
  EXPECT_LE(pi.width, 34);
  const CellText big = cell_text(wb, cell_of(Value::of_number(123456789012.0)), 64, 1);
  EXPECT_TRUE(big.lines[0].starts_with("1,2")) << big.lines[0];
  EXPECT_NE(big.lines[0].find("E+11"), std::string::npos) << big.lines[0];
  // A fixed format still gives way to hashes.
  wb.styles.cell_formats.push_back(CellFormat{});
  wb.styles.cell_formats.back().number_format = 2;  // 0.00
  const CellText fixed = cell_text(wb, cell_of(Value::of_number(3.14159265358 * 1e6), 1), 40, 1);
  EXPECT_EQ(fixed.lines[0].find_first_not_of('#'), std::string::npos) << fixed.lines[0];
}

TEST(CellText, WrappedTextTallerThanItsCellShowsItsBeginning) {
  Workbook wb;
  CellFormat wrap;
  wrap.alignment.wrap = true;
  wb.styles.cell_formats.push_back(wrap);
  const CellText t = cell_text(wb, cell_of(Value::of_text("Piedi larghezza spalle, non bloccare le ginocchia"), 1), 120, 1);
  ASSERT_GE(t.lines.size(), 3u);
  EXPECT_FALSE(t.overflows);
  const Rect row{0, 100, 120, 20};
  // Bottom-aligned, but the first line stays inside the row.
  EXPECT_GT(baseline(t, row, 0) - t.style.size_px * 0.7, row.y);
  EXPECT_LT(baseline(t, row, 0), row.bottom());
  // When the lines fit, they sit at the bottom.
  const Rect tall{0, 100, 120, 200};
  EXPECT_NEAR(baseline(t, tall, t.lines.size() - 1) + (t.line_height - t.style.size_px * 0.7) / 2, tall.bottom() - 1, 1e-9);
}

TEST(CellText, ZoomScalesFontAndIndent) {
  Workbook wb;
  CellFormat indented;
  indented.alignment.indent = 2;
  wb.styles.cell_formats.push_back(indented);
  const CellText one = cell_text(wb, cell_of(Value::of_text("x"), 1), 100, 1);
  const CellText two = cell_text(wb, cell_of(Value::of_text("x"), 1), 200, 2);
  EXPECT_DOUBLE_EQ(two.style.size_px, 2 * one.style.size_px);
  EXPECT_DOUBLE_EQ(two.inset, 2 * one.inset);
  EXPECT_GT(one.inset, 3 + 2 * 8);
}

}  // namespace
}  // namespace stilaro::view
