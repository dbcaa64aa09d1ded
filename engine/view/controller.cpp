// The workbook, each sheet's selection, scroll and zoom, and moving around.
#include "controller.h"

#include <algorithm>

#include "core/navigation.h"
#include "core/xlsx_reader.h"
#include "core/xlsx_writer.h"

namespace stilaro::view {
namespace {

constexpr double kMinZoom = 0.25;
constexpr double kMaxZoom = 4;

bool has_content(const Sheet& sheet, CellAddress a) {
  const Cell* c = sheet.cell(a);
  return c && (!c->value.is_empty() || c->has_formula());
}

}  // namespace

std::string Controller::open(std::span<const std::uint8_t> bytes, double today) {
  Workbook wb;
  if (bytes.empty()) {
    wb = new_workbook();
  } else {
    ReadResult read = read_xlsx(bytes);
    if (!read.workbook) return read.error.empty() ? "il file non è una cartella di lavoro .xlsx" : read.error;
    wb = std::move(*read.workbook);
  }
  if (wb.sheets.empty()) return "la cartella di lavoro non ha fogli";
  close();
  workbook_ = std::move(wb);
  editor_ = std::make_unique<Editor>(*workbook_, RecalcOptions{today});
  states_.assign(workbook_->sheets.size(), {});
  for (std::size_t i = 0; i < workbook_->sheets.size(); ++i) {
    const SheetView& v = workbook_->sheets[i].view;
    SheetState& s = states_[i];
    s.zoom = std::clamp(v.zoom / 100.0, kMinZoom, kMaxZoom);
    s.active = v.active_cell;
    s.anchor = v.selection.contains(v.active_cell) && v.selection != CellRange{v.active_cell, v.active_cell}
                   ? (v.selection.first == v.active_cell ? v.selection.last : v.selection.first)
                   : v.active_cell;
    // A sheet shown from its first scrolling cell, as most are, needs no sizes to know that.
    if (v.top_left.row <= v.frozen_rows && v.top_left.col <= v.frozen_cols) continue;
    const SheetGeometry g = SheetGeometry::of(*workbook_, workbook_->sheets[i]);
    s.scroll_x = std::max(0.0, g.cols.position(v.top_left.col) - g.cols.position(v.frozen_cols));
    s.scroll_y = std::max(0.0, g.rows.position(v.top_left.row) - g.rows.position(v.frozen_rows));
  }
  sheet_ = std::clamp(workbook_->active_sheet, 0, static_cast<std::int32_t>(workbook_->sheets.size()) - 1);
  if (workbook_->sheets[sheet_].hidden) {
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(workbook_->sheets.size()); ++i)
      if (!workbook_->sheets[i].hidden) {
        sheet_ = i;
        break;
      }
  }
  rebuild_geometry();
  return {};
}

void Controller::close() {
  if (editor_) revision_base_ += editor_->revision() + 1;
  editor_.reset();
  workbook_.reset();
  states_.clear();
  mode_ = EditMode::none;
  text_.clear();
  original_.clear();
  message_.clear();
  menu_.reset();
  tab_run_.reset();
  dragging_ = false;
}

std::vector<std::uint8_t> Controller::save() const { return write_xlsx(*workbook_); }

void Controller::rebuild_geometry() { geometry_ = SheetGeometry::of(*workbook_, sheet_ref()); }

Viewport Controller::viewport() const {
  const SheetState& s = states_[sheet_];
  const SheetView& v = sheet_ref().view;
  return {width_, height_, s.zoom, s.scroll_x, s.scroll_y, v.frozen_rows, v.frozen_cols};
}

CellRange Controller::selection() const {
  const SheetState& s = states_[sheet_];
  CellRange r{{std::min(s.active.row, s.anchor.row), std::min(s.active.col, s.anchor.col)},
              {std::max(s.active.row, s.anchor.row), std::max(s.active.col, s.anchor.col)}};
  // A selection touching a merge takes it whole.
  for (bool grew = true; grew;) {
    grew = false;
    for (const CellRange& m : sheet_ref().merges) {
      const bool overlaps = m.first.row <= r.last.row && m.last.row >= r.first.row && m.first.col <= r.last.col &&
                            m.last.col >= r.first.col;
      if (!overlaps) continue;
      CellRange u{{std::min(r.first.row, m.first.row), std::min(r.first.col, m.first.col)},
                  {std::max(r.last.row, m.last.row), std::max(r.last.col, m.last.col)}};
      if (u != r) {
        r = u;
        grew = true;
      }
    }
  }
  return r;
}

CellAddress Controller::merged_origin(CellAddress a) const {
  const CellRange* m = sheet_ref().merge_at(a);
  return m ? m->first : a;
}

std::uint32_t Controller::resize(double width, double height) {
  width_ = std::max(0.0, width);
  height_ = std::max(0.0, height);
  if (workbook_) clamp_scroll();
  return kRedraw;
}

void Controller::clamp_scroll() {
  SheetState& s = st();
  const Viewport v = viewport();
  const double max_x = geometry_.cols.total() - geometry_.cols.position(v.frozen_cols) - 40;
  const double max_y = geometry_.rows.total() - geometry_.rows.position(v.frozen_rows) - 40;
  s.scroll_x = std::clamp(s.scroll_x, 0.0, std::max(0.0, max_x));
  s.scroll_y = std::clamp(s.scroll_y, 0.0, std::max(0.0, max_y));
}

void Controller::scroll_into_view(CellAddress a) {
  const Layout l = layout();
  SheetState& s = st();
  const Rect cell = l.cell_rect(a);
  const Rect pane = l.pane_of(a);
  const double z = s.zoom;
  if (a.col >= l.viewport().frozen_cols) {
    if (cell.x < pane.x) s.scroll_x -= (pane.x - cell.x) / z;
    else if (cell.right() > pane.right() && cell.w <= pane.w) s.scroll_x += (cell.right() - pane.right()) / z;
  }
  if (a.row >= l.viewport().frozen_rows) {
    if (cell.y < pane.y) s.scroll_y -= (pane.y - cell.y) / z;
    else if (cell.bottom() > pane.bottom() && cell.h <= pane.h) s.scroll_y += (cell.bottom() - pane.bottom()) / z;
  }
  clamp_scroll();
}

void Controller::select(CellAddress a, bool extend) {
  a.row = std::clamp(a.row, 0, kMaxRows - 1);
  a.col = std::clamp(a.col, 0, kMaxColumns - 1);
  SheetState& s = st();
  if (extend) {
    s.active = a;
  } else {
    s.active = merged_origin(a);
    s.anchor = s.active;
  }
  scroll_into_view(a);
}

void Controller::move(std::int32_t drow, std::int32_t dcol, bool extend) {
  const SheetState& s = state();
  CellAddress a = s.active;
  // Leaving a merge moves past its far edge.
  if (const CellRange* m = sheet_ref().merge_at(a); m && !extend) {
    if (drow > 0) a.row = m->last.row;
    if (dcol > 0) a.col = m->last.col;
  }
  if (drow) a.row = geometry_.rows.visible_from(std::clamp(a.row + drow, 0, kMaxRows - 1), drow > 0 ? 1 : -1);
  if (dcol) a.col = geometry_.cols.visible_from(std::clamp(a.col + dcol, 0, kMaxColumns - 1), dcol > 0 ? 1 : -1);
  select(a, extend);
}

// Ctrl+arrow: to the edge of the block of written cells, or to the next written cell.
void Controller::jump(std::int32_t drow, std::int32_t dcol, bool extend) {
  const Sheet& sh = sheet_ref();
  const CellAddress used = sh.used_extent();
  CellAddress a = state().active;
  auto next = [&](CellAddress p) { return CellAddress{p.row + drow, p.col + dcol}; };
  auto inside = [&](CellAddress p) {
    return p.row >= 0 && p.col >= 0 && p.row <= std::max(used.row, a.row) && p.col <= std::max(used.col, a.col);
  };
  CellAddress n = next(a);
  if (inside(n) && has_content(sh, a) && has_content(sh, n)) {
    while (inside(next(n)) && has_content(sh, next(n))) n = next(n);
  } else {
    while (inside(n) && !has_content(sh, n)) n = next(n);
    if (!inside(n)) n = {drow ? (drow > 0 ? std::max(used.row, a.row) : 0) : a.row,
                         dcol ? (dcol > 0 ? std::max(used.col, a.col) : 0) : a.col};
  }
  select(n, extend);
}

// A run of Tabs is still going while the active cell is where the last Tab left it.
void Controller::tab_step(bool back) {
  const CellAddress from = state().active;
  if (!tab_run_ || tab_run_->at != from) tab_run_ = TabRun{from.col, from};
  move(0, back ? -1 : 1, false);
  tab_run_->at = state().active;
}

// Enter after a run of Tabs goes to the next row under the run's first cell.
void Controller::enter_step(bool back) {
  const bool in_run = tab_run_ && tab_run_->at == state().active && !back;
  const std::int32_t col = in_run ? tab_run_->first_col : 0;
  tab_run_.reset();
  move(back ? -1 : 1, 0, false);
  if (in_run) select({state().active.row, col}, false);
}

void Controller::switch_sheet(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(workbook_->sheets.size()) || index == sheet_) return;
  sheet_ = index;
  menu_.reset();
  tab_run_.reset();
  rebuild_geometry();
  clamp_scroll();
}

bool Controller::go_to(std::string_view text) {
  if (!workbook_) return false;
  std::string trimmed(text);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(trimmed.begin());
  const auto target = resolve_go_to(*workbook_, sheet_, trimmed);
  if (!target || target->sheet < 0 || target->sheet >= static_cast<std::int32_t>(workbook_->sheets.size()))
    return false;
  if (mode_ != EditMode::go_to) cancel_edit();
  menu_.reset();
  switch_sheet(target->sheet);
  SheetState& s = st();
  // A cell covered by a merge is never the one typed into: its merge's first cell is.
  const CellAddress first = merged_origin(target->range.first);
  s.active = first;
  s.anchor = target->range.first == target->range.last ? first : target->range.last;
  const SheetView& v = sheet_ref().view;
  if (first.col >= v.frozen_cols) s.scroll_x = geometry_.cols.position(first.col) - geometry_.cols.position(v.frozen_cols);
  if (first.row >= v.frozen_rows) s.scroll_y = geometry_.rows.position(first.row) - geometry_.rows.position(v.frozen_rows);
  clamp_scroll();
  return true;
}

std::uint32_t Controller::scroll(double dx, double dy) {
  if (!workbook_) return 0;
  if (menu_) return filter_scroll(dy);
  SheetState& s = st();
  s.scroll_x += dx / s.zoom;
  s.scroll_y += dy / s.zoom;
  clamp_scroll();
  return kRedraw;
}

std::uint32_t Controller::zoom(double factor, double x, double y) {
  if (!workbook_ || !(factor > 0)) return 0;
  SheetState& s = st();
  const Layout before = layout();
  const Rect grid = before.grid();
  // The point under the fingers or the pointer stays where it is.
  const double px = std::max(0.0, x - grid.x - before.frozen_width());
  const double py = std::max(0.0, y - grid.y - before.frozen_height());
  const double old = s.zoom;
  s.zoom = std::clamp(old * factor, kMinZoom, kMaxZoom);
  s.scroll_x += px / old - px / s.zoom;
  s.scroll_y += py / old - py / s.zoom;
  clamp_scroll();
  return kRedraw;
}

}  // namespace stilaro::view
