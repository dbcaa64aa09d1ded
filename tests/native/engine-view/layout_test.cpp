#include "view/layout.h"
#include "view/text_metrics.h"

#include <gtest/gtest.h>

namespace stilaro::view {
namespace {

Workbook two_sheets() {
  Workbook wb;
  Sheet a;
  a.name = "Scheda";
  a.columns.push_back({0, 0, column_chars(20), false, {}});
  a.columns.push_back({2, 2, 0, true, {}});  // C hidden
  a.rows[1].height = 30;                      // row 2: 40 px
  Sheet b;
  b.name = "Massimali";
  wb.sheets = {a, b};
  return wb;
}

TEST(Layout, GeometryTakesWidthsHeightsAndHiddenFromTheSheet) {
  const Workbook wb = two_sheets();
  const SheetGeometry g = SheetGeometry::of(wb, wb.sheets[0]);
  EXPECT_DOUBLE_EQ(g.cols.size(0), 20);
  EXPECT_DOUBLE_EQ(g.cols.size(1), 64);  // the default column
  EXPECT_TRUE(g.cols.hidden(2));
  EXPECT_DOUBLE_EQ(g.rows.size(0), 20);  // 15 pt
  EXPECT_DOUBLE_EQ(g.rows.size(1), 40);
}

TEST(Layout, RowsWithoutAStoredHeightFitTheirText) {
  Workbook wb = two_sheets();
  Font big;
  big.size = 20;
  wb.styles.fonts.push_back(big);
  CellFormat large, wrapping;
  large.font = 1;
  wrapping.alignment.wrap = true;
  wb.styles.cell_formats = {CellFormat{}, large, wrapping};
  Sheet& s = wb.sheets[0];
  s.rows[3].cells[1] = Cell{Value::of_text("TITOLO"), "", 1};
  s.rows[4].cells[1] = Cell{Value::of_text("una nota lunga da andare a capo"), "", 2};
  s.rows[5].cells[1] = Cell{Value::of_text("TITOLO"), "", 1};
  s.rows[5].height = 15;  // a stored height stays
  const SheetGeometry g = SheetGeometry::of(wb, s);
  EXPECT_DOUBLE_EQ(g.rows.size(3), 36);  // 27 pt, one line of 20 pt
  EXPECT_GE(g.rows.size(4), 40);         // several 15-pt lines in a 64-pixel column
  EXPECT_DOUBLE_EQ(g.rows.size(5), 20);
  // Wrapping text in a merge does not stretch its row; merges are met in any order,
  // over several rows, and stop counting past their last row.
  for (std::int32_t r : {8, 9, 10, 12})
    s.rows[r].cells[1] = Cell{Value::of_text("una nota lunga da andare a capo"), "", 2};
  s.merges = {{{10, 1}, {10, 3}}, {{8, 0}, {9, 1}}, {{2, 5}, {11, 6}}};
  const SheetGeometry m = SheetGeometry::of(wb, s);
  EXPECT_DOUBLE_EQ(m.rows.size(8), 20);
  EXPECT_DOUBLE_EQ(m.rows.size(9), 20);
  EXPECT_DOUBLE_EQ(m.rows.size(10), 20);
  EXPECT_GE(m.rows.size(4), 40);
  EXPECT_GE(m.rows.size(12), 40);
}

TEST(Layout, HitFindsBarHeadersCellsAndTabs) {
  const Workbook wb = two_sheets();
  const SheetGeometry g = SheetGeometry::of(wb, wb.sheets[0]);
  const Layout l(wb, 0, g, {800, 600, 1, 0, 0, 0, 0});
  EXPECT_EQ(l.hit(10, 10).area, Area::edit_name);
  EXPECT_EQ(l.hit(400, 10).area, Area::edit_content);
  const Rect grid = l.grid();
  EXPECT_EQ(l.hit(5, grid.y - 5).area, Area::corner);
  Hit h = l.hit(grid.x + 25, grid.y - 5);
  EXPECT_EQ(h.area, Area::col_header);
  EXPECT_EQ(h.cell.col, 1);
  h = l.hit(5, grid.y + 25);
  EXPECT_EQ(h.area, Area::row_header);
  EXPECT_EQ(h.cell.row, 1);
  // Past A (20) and B (64) the hidden C takes no room: D starts at 84.
  h = l.hit(grid.x + 85, grid.y + 61);
  EXPECT_EQ(h.area, Area::cell);
  EXPECT_EQ(h.cell.col, 3);
  EXPECT_EQ(h.cell.row, 2);
  const Rect tab = l.tab_boxes().at(1).box;
  h = l.hit(tab.x + 3, tab.y + 3);
  EXPECT_EQ(h.area, Area::tab);
  EXPECT_EQ(h.tab, 1);
}

TEST(Layout, FrozenPaneStaysWhileTheRestScrolls) {
  Workbook wb = two_sheets();
  const SheetGeometry g = SheetGeometry::of(wb, wb.sheets[0]);
  const Layout l(wb, 0, g, {800, 600, 1, 300, 1000, 1, 1});
  const Rect grid = l.grid();
  EXPECT_DOUBLE_EQ(l.col_x(0), grid.x);
  EXPECT_DOUBLE_EQ(l.row_y(0), grid.y);
  // Column B starts right after A minus the horizontal scroll.
  EXPECT_DOUBLE_EQ(l.col_x(1), grid.x + 20 - 300);
  EXPECT_EQ(l.hit(grid.x + 5, grid.y + 5).cell, (CellAddress{0, 0}));
  // The first row under the frozen one is the one scrolled to.
  const Hit h = l.hit(grid.x + 21, grid.y + 21);
  EXPECT_EQ(h.cell.row, g.rows.index_at(20 + 1000));
  EXPECT_EQ(h.cell.col, g.cols.index_at(20 + 300));
  EXPECT_EQ(l.first_row(), g.rows.index_at(20 + 1000));
}

TEST(Layout, ZoomScalesCellsAndFilterButtonsAreHit) {
  Workbook wb = two_sheets();
  wb.sheets[0].auto_filter = AutoFilter{{{0, 0}, {9, 3}}, {}};
  const SheetGeometry g = SheetGeometry::of(wb, wb.sheets[0]);
  const Layout l(wb, 0, g, {800, 600, 2, 0, 0, 0, 0});
  EXPECT_DOUBLE_EQ(l.cell_rect({0, 1}).w, 128);
  EXPECT_TRUE(l.has_filter_button({0, 3}));
  EXPECT_FALSE(l.has_filter_button({1, 3}));
  EXPECT_FALSE(l.has_filter_button({0, 4}));
  const Rect b = l.filter_button({0, 1});
  const Hit h = l.hit(b.x + b.w / 2, b.y + b.h / 2);
  EXPECT_EQ(h.area, Area::filter_button);
  EXPECT_EQ(h.cell.col, 1);
}

}  // namespace
}  // namespace stilaro::view
