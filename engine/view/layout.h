#pragma once
// Where everything stands on the canvas: the edit bar, the headers, the grid
// with its frozen panes, the sheet tabs; and which of them a point hits.
#include <cstdint>
#include <string>
#include <vector>

#include "core/workbook.h"
#include "view/axis.h"

namespace stilaro::view {

struct Rect {
  double x = 0, y = 0, w = 0, h = 0;
  bool contains(double px, double py) const { return px >= x && px < x + w && py >= y && py < y + h; }
  double right() const { return x + w; }
  double bottom() const { return y + h; }
};

// Column widths and row heights of one sheet in CSS pixels at zoom 1; hidden
// ones are 0 wide. A row without a stored height fits its text, as it would
// in any spreadsheet program: its largest font, and the lines of wrapped text.
struct SheetGeometry {
  Axis cols{64, kMaxColumns};
  Axis rows{20, kMaxRows};
  CellAddress used;  // the sheet's used extent, for the scroll bars: worked out once, not every frame
  static SheetGeometry of(const Workbook& workbook, const Sheet& sheet);
};

double default_column_px(const Sheet& sheet);

// What the user sees of one sheet: scroll offsets of the scrolling pane (in
// zoom-1 pixels past the frozen part) and the zoom factor.
struct Viewport {
  double width = 0, height = 0;  // CSS pixels of the whole canvas
  double zoom = 1;
  double scroll_x = 0, scroll_y = 0;
  std::int32_t frozen_rows = 0, frozen_cols = 0;
};

enum class Area { none, edit_name, edit_content, corner, col_header, row_header, cell, tab, filter_button, vscroll, hscroll };

struct Hit {
  Area area = Area::none;
  CellAddress cell;          // cell, filter button; the row or column for the headers
  std::int32_t tab = -1;     // sheet index for a tab
};

// A scroll bar over the grid's edge: its track, its thumb, and how far the
// scrolling pane can travel (zoom-1 pixels).
struct ScrollBar {
  Rect track;
  Rect thumb;
  double travel = 0;
};

struct TabBox {
  std::int32_t sheet = 0;
  Rect box;
};

class Layout {
 public:
  static constexpr double kBarHeight = 30;
  static constexpr double kNameWidth = 128;
  static constexpr double kTabsHeight = 28;

  Layout(const Workbook& workbook, std::int32_t sheet, const SheetGeometry& geometry, const Viewport& viewport);

  Rect bar() const { return {0, 0, vp_.width, kBarHeight}; }
  Rect name_box() const { return {4, 4, kNameWidth - 8, kBarHeight - 8}; }
  Rect content_box() const { return {kNameWidth + 30, 4, vp_.width - kNameWidth - 34, kBarHeight - 8}; }
  Rect tabs() const { return {0, vp_.height - kTabsHeight, vp_.width, kTabsHeight}; }
  const std::vector<TabBox>& tab_boxes() const { return tabs_; }
  double header_width() const { return header_w_; }
  double header_height() const { return header_h_; }
  // The grid without headers: cells only.
  Rect grid() const { return grid_; }
  // Size of the frozen part inside the grid.
  double frozen_width() const { return frozen_w_; }
  double frozen_height() const { return frozen_h_; }

  // Screen position of a column's left edge / a row's top edge (may lie outside the grid).
  double col_x(std::int32_t col) const;
  double row_y(std::int32_t row) const;
  Rect cell_rect(CellAddress a) const;
  Rect range_rect(const CellRange& r) const;
  // The part of the grid a cell can be seen in (its pane).
  Rect pane_of(CellAddress a) const;

  // First and last column/row drawn in the scrolling pane.
  std::int32_t first_col() const { return first_col_; }
  std::int32_t last_col() const { return last_col_; }
  std::int32_t first_row() const { return first_row_; }
  std::int32_t last_row() const { return last_row_; }

  const ScrollBar& vertical() const { return vbar_; }
  const ScrollBar& horizontal() const { return hbar_; }

  std::int32_t col_at(double x) const;
  std::int32_t row_at(double y) const;
  Hit hit(double x, double y) const;

  // Rows that fit in the scrolling pane from its top (at least 1).
  std::int32_t page_rows() const;

  const SheetGeometry& geometry() const { return geo_; }
  const Viewport& viewport() const { return vp_; }
  // The filter button of a column heading the sheet's auto-filter.
  Rect filter_button(CellAddress a) const;
  bool has_filter_button(CellAddress a) const;

 private:
  void scroll_bars();

  const Workbook& wb_;
  std::int32_t sheet_;
  const SheetGeometry& geo_;
  Viewport vp_;
  double header_w_ = 0, header_h_ = 0;
  Rect grid_;
  double frozen_w_ = 0, frozen_h_ = 0;
  std::int32_t first_col_ = 0, last_col_ = 0, first_row_ = 0, last_row_ = 0;
  std::vector<TabBox> tabs_;
  ScrollBar vbar_, hbar_;
};

}  // namespace stilaro::view
