#include "layout.h"

#include <algorithm>
#include <cmath>

#include "view/text_metrics.h"

namespace stilaro::view {

double default_column_px(const Sheet& sheet) {
  // 8.43 characters is the width shown for a sheet that sets none: 64 pixels.
  if (std::abs(sheet.default_column_width - 8.43) < 1e-9) return 64;
  return column_px(sheet.default_column_width);
}

namespace {

// The merges over each row in turn, for rows visited from the top down: a card has
// hundreds of merges, and asking all of them about every wrapping cell adds up.
class MergeSweep {
 public:
  explicit MergeSweep(const std::vector<CellRange>& merges) {
    for (const CellRange& m : merges) pending_.push_back(&m);
    std::sort(pending_.begin(), pending_.end(), [](const CellRange* a, const CellRange* b) { return a->first.row < b->first.row; });
  }

  // The merges covering row r; r never goes back between calls.
  const std::vector<const CellRange*>& over(std::int32_t r) {
    while (next_ < pending_.size() && pending_[next_]->first.row <= r) active_.push_back(pending_[next_++]);
    std::erase_if(active_, [r](const CellRange* m) { return m->last.row < r; });
    return active_;
  }

 private:
  std::vector<const CellRange*> pending_, active_;
  std::size_t next_ = 0;
};

// Points a row without a stored height needs for its cells.
double fitted_row_pt(const Workbook& wb, const Sheet& sheet, const SheetGeometry& g, const Row& row,
                     const std::vector<const CellRange*>& merged) {
  double need = sheet.default_row_height;
  for (const auto& [c, cell] : row.cells) {
    if (cell.value.is_empty()) continue;
    const Font& font = wb.styles.font_of(cell.style);
    double lines = 1;
    const auto in_merge = [&, c = c] {
      return std::any_of(merged.begin(), merged.end(), [c](const CellRange* m) { return m->first.col <= c && c <= m->last.col; });
    };
    if (cell.value.is_text() && wb.styles.cell_format(cell.style).alignment.wrap && !in_merge())
      lines = static_cast<double>(
          wrapped_line_count(cell.value.text, font.size, font.bold, std::max(16.0, g.cols.size(c) - 8), font.italic));
    need = std::max(need, lines * line_height_pt(font.size));
  }
  return need;
}

}  // namespace

SheetGeometry SheetGeometry::of(const Workbook& workbook, const Sheet& sheet) {
  SheetGeometry g;
  g.used = sheet.used_extent();
  g.cols = Axis(default_column_px(sheet), kMaxColumns);
  g.rows = Axis(std::round(points_to_px(sheet.default_row_height)), kMaxRows);
  for (const ColumnSpan& span : sheet.columns) {
    const double px = span.hidden ? 0 : span.width > 0 ? column_px(span.width) : default_column_px(sheet);
    for (std::int32_t c = span.min; c <= span.max && c < kMaxColumns; ++c) g.cols.set(c, px);
  }
  MergeSweep merges(sheet.merges);
  for (const auto& [r, row] : sheet.rows) {
    if (row.hidden)
      g.rows.set(r, 0);
    else if (row.height > 0)
      g.rows.set(r, std::round(points_to_px(row.height)));
    else if (!row.cells.empty())
      g.rows.set(r, std::round(points_to_px(fitted_row_pt(workbook, sheet, g, row, merges.over(r)))));
  }
  return g;
}

Layout::Layout(const Workbook& workbook, std::int32_t sheet, const SheetGeometry& geometry, const Viewport& viewport)
    : wb_(workbook), sheet_(sheet), geo_(geometry), vp_(viewport) {
  const double z = vp_.zoom;
  header_h_ = std::round(std::max(16.0, 20 * z));
  const double top = kBarHeight + header_h_;
  grid_.y = top;
  grid_.h = std::max(0.0, vp_.height - kTabsHeight - top);
  frozen_w_ = geo_.cols.position(vp_.frozen_cols) * z;
  frozen_h_ = geo_.rows.position(vp_.frozen_rows) * z;

  const double base_y = geo_.rows.position(vp_.frozen_rows) + vp_.scroll_y;
  first_row_ = geo_.rows.index_at(base_y);
  last_row_ = geo_.rows.index_at(base_y + std::max(0.0, grid_.h - frozen_h_) / z);
  const int digits = static_cast<int>(std::to_string(last_row_ + 1).size());
  header_w_ = std::round(std::max(32.0, (digits * 7 + 16) * std::min(1.5, std::max(0.75, z))));
  grid_.x = header_w_;
  grid_.w = std::max(0.0, vp_.width - header_w_);
  const double base_x = geo_.cols.position(vp_.frozen_cols) + vp_.scroll_x;
  first_col_ = geo_.cols.index_at(base_x);
  last_col_ = geo_.cols.index_at(base_x + std::max(0.0, grid_.w - frozen_w_) / z);

  scroll_bars();

  double x = 8;
  const Rect strip = tabs();
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(wb_.sheets.size()); ++i) {
    if (wb_.sheets[i].hidden) continue;
    const double w = std::ceil(text_width_px(wb_.sheets[i].name, 11, i == sheet_)) + 28;
    tabs_.push_back({i, {x, strip.y, w, strip.h - 4}});
    x += w + 2;
  }
}

// The bars cover the written part and a screen more, and always where the view is.
void Layout::scroll_bars() {
  constexpr double kBar = 10, kMinThumb = 24;
  const CellAddress used = geo_.used;
  const double z = vp_.zoom;
  const double seen_h = std::max(0.0, grid_.h - frozen_h_ - kBar) / z;
  const double seen_w = std::max(0.0, grid_.w - frozen_w_ - kBar) / z;
  const double rows_end = geo_.rows.position(used.row + 1) - geo_.rows.position(vp_.frozen_rows) + seen_h / 2;
  const double cols_end = geo_.cols.position(used.col + 1) - geo_.cols.position(vp_.frozen_cols) + seen_w / 2;
  vbar_.travel = std::max(rows_end - seen_h, vp_.scroll_y);
  hbar_.travel = std::max(cols_end - seen_w, vp_.scroll_x);
  vbar_.track = {grid_.right() - kBar, grid_.y + frozen_h_, kBar, std::max(0.0, grid_.h - frozen_h_ - kBar)};
  hbar_.track = {grid_.x + frozen_w_, grid_.bottom() - kBar, std::max(0.0, grid_.w - frozen_w_ - kBar), kBar};
  const double vlen = std::min(vbar_.track.h, std::max(kMinThumb, vbar_.track.h * seen_h / (seen_h + vbar_.travel)));
  const double hlen = std::min(hbar_.track.w, std::max(kMinThumb, hbar_.track.w * seen_w / (seen_w + hbar_.travel)));
  const double vat = vbar_.travel > 0 ? vp_.scroll_y / vbar_.travel : 0;
  const double hat = hbar_.travel > 0 ? vp_.scroll_x / hbar_.travel : 0;
  vbar_.thumb = {vbar_.track.x + 2, vbar_.track.y + (vbar_.track.h - vlen) * vat, kBar - 4, vlen};
  hbar_.thumb = {hbar_.track.x + (hbar_.track.w - hlen) * hat, hbar_.track.y + 2, hlen, kBar - 4};
}

double Layout::col_x(std::int32_t col) const {
  const double z = vp_.zoom;
  if (col < vp_.frozen_cols) return grid_.x + geo_.cols.position(col) * z;
  return grid_.x + frozen_w_ +
         (geo_.cols.position(col) - geo_.cols.position(vp_.frozen_cols) - vp_.scroll_x) * z;
}

double Layout::row_y(std::int32_t row) const {
  const double z = vp_.zoom;
  if (row < vp_.frozen_rows) return grid_.y + geo_.rows.position(row) * z;
  return grid_.y + frozen_h_ +
         (geo_.rows.position(row) - geo_.rows.position(vp_.frozen_rows) - vp_.scroll_y) * z;
}

Rect Layout::cell_rect(CellAddress a) const {
  return range_rect({a, a});
}

Rect Layout::range_rect(const CellRange& r) const {
  const double x = col_x(r.first.col), y = row_y(r.first.row);
  // Measured within one pane, so a range across the frozen edge keeps its true size.
  const double w = (geo_.cols.position(r.last.col + 1) - geo_.cols.position(r.first.col)) * vp_.zoom;
  const double h = (geo_.rows.position(r.last.row + 1) - geo_.rows.position(r.first.row)) * vp_.zoom;
  return {x, y, w, h};
}

Rect Layout::pane_of(CellAddress a) const {
  Rect p = grid_;
  if (a.col < vp_.frozen_cols) {
    p.w = frozen_w_;
  } else {
    p.x += frozen_w_;
    p.w -= frozen_w_;
  }
  if (a.row < vp_.frozen_rows) {
    p.h = frozen_h_;
  } else {
    p.y += frozen_h_;
    p.h -= frozen_h_;
  }
  p.w = std::max(0.0, p.w);
  p.h = std::max(0.0, p.h);
  return p;
}

std::int32_t Layout::col_at(double x) const {
  const double z = vp_.zoom;
  const double dx = x - grid_.x;
  if (dx < frozen_w_) return geo_.cols.index_at(dx / z);
  return geo_.cols.index_at(geo_.cols.position(vp_.frozen_cols) + vp_.scroll_x + (dx - frozen_w_) / z);
}

std::int32_t Layout::row_at(double y) const {
  const double z = vp_.zoom;
  const double dy = y - grid_.y;
  if (dy < frozen_h_) return geo_.rows.index_at(dy / z);
  return geo_.rows.index_at(geo_.rows.position(vp_.frozen_rows) + vp_.scroll_y + (dy - frozen_h_) / z);
}

std::int32_t Layout::page_rows() const {
  return std::max(1, last_row_ - first_row_);
}

bool Layout::has_filter_button(CellAddress a) const {
  const auto& filter = wb_.sheets[sheet_].auto_filter;
  return filter && a.row == filter->range.first.row && a.col >= filter->range.first.col &&
         a.col <= filter->range.last.col;
}

Rect Layout::filter_button(CellAddress a) const {
  const Rect cell = cell_rect(a);
  const double s = std::min({16.0 * vp_.zoom, cell.h - 2, cell.w - 2});
  return {cell.right() - s - 1, cell.bottom() - s - 1, s, s};
}

Hit Layout::hit(double x, double y) const {
  if (bar().contains(x, y)) {
    if (x < kNameWidth) return {Area::edit_name, {}, -1};
    if (x >= content_box().x) return {Area::edit_content, {}, -1};
    return {};
  }
  if (tabs().contains(x, y)) {
    for (const TabBox& t : tabs_)
      if (t.box.contains(x, y)) return {Area::tab, {}, t.sheet};
    return {};
  }
  if (y < kBarHeight + header_h_) {
    if (x < header_w_) return {Area::corner, {}, -1};
    return {Area::col_header, {0, col_at(x)}, -1};
  }
  if (y >= grid_.bottom()) return {};
  if (x < header_w_) return {Area::row_header, {row_at(y), 0}, -1};
  if (vbar_.track.contains(x, y)) return {Area::vscroll, {}, -1};
  if (hbar_.track.contains(x, y)) return {Area::hscroll, {}, -1};
  const CellAddress a{row_at(y), col_at(x)};
  if (has_filter_button(a) && filter_button(a).contains(x, y)) return {Area::filter_button, a, -1};
  return {Area::cell, a, -1};
}

}  // namespace stilaro::view
