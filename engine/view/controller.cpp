#include "controller.h"

#include <algorithm>
#include <cmath>

#include "core/navigation.h"
#include "core/xlsx_reader.h"
#include "core/xlsx_writer.h"
#include "view/text_metrics.h"

namespace stilaro::view {
namespace {

constexpr double kMinZoom = 0.25;
constexpr double kMaxZoom = 4;
constexpr double kMenuRow = 22;
constexpr std::int32_t kMenuRows = 10;

// The hidden field counts in UTF-16 units; the engine keeps UTF-8.
std::int32_t utf8_offset(std::string_view s, std::int32_t utf16) {
  std::size_t i = 0;
  std::int32_t units = 0;
  while (i < s.size() && units < utf16) units += next_code_point(s, i) > 0xFFFF ? 2 : 1;
  return static_cast<std::int32_t>(i);
}

std::int32_t utf16_length(std::string_view s) {
  std::size_t i = 0;
  std::int32_t units = 0;
  while (i < s.size()) units += next_code_point(s, i) > 0xFFFF ? 2 : 1;
  return units;
}

// Clipboards may change line ends on the way; the text is the same without CRs.
bool same_lines(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && a[i] == '\r') ++i;
    while (j < b.size() && b[j] == '\r') ++j;
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    if (a[i++] != b[j++]) return false;
  }
}

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

void Controller::begin_edit(EditMode mode, std::string text) {
  mode_ = mode;
  text_ = std::move(text);
  original_ = text_;
  caret_ = static_cast<std::int32_t>(text_.size());
  message_.clear();
  menu_.reset();
  point_.reset();
}

void Controller::cancel_edit() {
  mode_ = EditMode::none;
  text_.clear();
  original_.clear();
  caret_ = 0;
  point_.reset();
}

// A reference may go in where a formula expects an operand: after "=", an
// operator, "(" or a separator; or in place of the one pointing just wrote.
bool Controller::can_point() const {
  if ((mode_ != EditMode::enter && mode_ != EditMode::edit) || text_.empty() || text_.front() != '=') return false;
  const auto caret = static_cast<std::size_t>(caret_);
  if (point_ && caret == point_->end) return true;
  std::size_t i = caret;
  while (i > 0 && text_[i - 1] == ' ') --i;
  return i > 0 && std::string_view("=(,;+-*/^&<>").find(text_[i - 1]) != std::string_view::npos;
}

void Controller::point_at(CellAddress anchor, CellAddress moving) {
  const CellRange r{{std::min(anchor.row, moving.row), std::min(anchor.col, moving.col)},
                    {std::max(anchor.row, moving.row), std::max(anchor.col, moving.col)}};
  const std::string ref = format_range(r);
  const auto caret = static_cast<std::size_t>(caret_);
  const bool again = point_ && caret == point_->end;
  const std::size_t begin = again ? point_->begin : caret;
  text_.replace(begin, (again ? point_->end : caret) - begin, ref);
  caret_ = static_cast<std::int32_t>(begin + ref.size());
  point_ = Pointing{begin, begin + ref.size(), anchor, moving};
  scroll_into_view(moving);
}

void Controller::point_step(std::int32_t drow, std::int32_t dcol, bool extend) {
  const bool again = point_ && static_cast<std::size_t>(caret_) == point_->end;
  CellAddress a = again ? point_->moving : state().active;
  if (drow) a.row = geometry_.rows.visible_from(std::clamp(a.row + drow, 0, kMaxRows - 1), drow > 0 ? 1 : -1);
  if (dcol) a.col = geometry_.cols.visible_from(std::clamp(a.col + dcol, 0, kMaxColumns - 1), dcol > 0 ? 1 : -1);
  point_at(extend && again ? point_->anchor : a, a);
}

std::optional<CellRange> Controller::point_range() const {
  if (!point_ || static_cast<std::size_t>(caret_) != point_->end) return std::nullopt;
  const CellAddress a = point_->anchor, m = point_->moving;
  return CellRange{{std::min(a.row, m.row), std::min(a.col, m.col)}, {std::max(a.row, m.row), std::max(a.col, m.col)}};
}

std::uint32_t Controller::after_change() {
  rebuild_geometry();
  clamp_scroll();
  return kRedraw | kChanged;
}

std::uint32_t Controller::finish_edit() {
  if (mode_ == EditMode::none) return 0;
  if (mode_ == EditMode::go_to) {
    const std::string text = text_;
    cancel_edit();
    if (!text.empty() && !go_to(text)) message_ = "Non trovo «" + text + "»";
    return kRedraw | kEditEnd;
  }
  if (!edit_changed()) {
    cancel_edit();
    return kRedraw | kEditEnd;
  }
  const CellAddress at = state().active;
  if (!editor_->set_input(sheet_, at, text_)) {
    message_ = "Formula non valida: correggila o premi Esc";
    return kRedraw;
  }
  cancel_edit();
  return after_change() | kEditEnd;
}

std::uint32_t Controller::commit() {
  if (!workbook_) return 0;
  menu_.reset();
  const std::uint32_t flags = finish_edit();
  if (mode_ != EditMode::none) {  // refused: the typing is given up rather than kept half-way
    cancel_edit();
    return flags | kRedraw | kEditEnd;
  }
  return flags;
}

std::uint32_t Controller::key(Key key, std::int32_t mods) {
  if (!workbook_) return 0;
  const bool shift = mods & kShift, ctrl = mods & kCtrl, alt = mods & kAlt;
  if (menu_) {
    if (key == Key::escape) {
      menu_.reset();
      return kRedraw | kHandled;
    }
    return kHandled;
  }
  if (mode_ != EditMode::none) {
    switch (key) {
      case Key::escape:
        cancel_edit();
        message_.clear();
        return kRedraw | kEditEnd | kHandled;
      case Key::enter:
        if (alt && mode_ != EditMode::go_to) {
          const std::int32_t at = utf8_offset(text_, caret_);
          text_.insert(static_cast<std::size_t>(at), "\n");
          caret_ += 1;
          return kRedraw | kEditSync | kHandled;
        }
        [[fallthrough]];
      case Key::tab: {
        const bool go = mode_ == EditMode::go_to;
        std::uint32_t f = finish_edit();
        if (mode_ != EditMode::none) return f | kHandled;
        if (!go) {
          if (key == Key::enter) enter_step(shift);
          else tab_step(shift);
        }
        return f | kRedraw | kHandled;
      }
      case Key::left: case Key::right: case Key::up: case Key::down: {
        if (mode_ != EditMode::enter) return 0;
        if (can_point()) {
          point_step(key == Key::up ? -1 : key == Key::down ? 1 : 0, key == Key::left ? -1 : key == Key::right ? 1 : 0,
                     shift);
          return kRedraw | kEditSync | kHandled;
        }
        std::uint32_t f = finish_edit();
        if (mode_ != EditMode::none) return f | kHandled;
        move(key == Key::up ? -1 : key == Key::down ? 1 : 0, key == Key::left ? -1 : key == Key::right ? 1 : 0, false);
        return f | kRedraw | kHandled;
      }
      default:
        return 0;  // the field itself handles caret keys and deletion
    }
  }
  message_.clear();
  switch (key) {
    case Key::left: case Key::right: case Key::up: case Key::down: {
      const std::int32_t dr = key == Key::up ? -1 : key == Key::down ? 1 : 0;
      const std::int32_t dc = key == Key::left ? -1 : key == Key::right ? 1 : 0;
      if (ctrl) jump(dr, dc, shift);
      else move(dr, dc, shift);
      return kRedraw | kHandled;
    }
    case Key::enter:
      enter_step(shift);
      return kRedraw | kHandled;
    case Key::tab:
      tab_step(shift);
      return kRedraw | kHandled;
    case Key::home:
      select(ctrl ? CellAddress{sheet_ref().view.frozen_rows, sheet_ref().view.frozen_cols}
                  : CellAddress{state().active.row, 0}, shift);
      return kRedraw | kHandled;
    case Key::end: {
      const CellAddress used = sheet_ref().used_extent();
      select(ctrl ? used : CellAddress{state().active.row, used.col}, shift);
      return kRedraw | kHandled;
    }
    case Key::page_up: case Key::page_down: {
      // The view turns a page and the active cell moves with it.
      const Layout l = layout();
      const std::int32_t dir = key == Key::page_down ? 1 : -1;
      const std::int32_t top = l.first_row();
      const std::int32_t to = std::clamp(top + dir * l.page_rows(), 0, kMaxRows - 1);
      st().scroll_y += geometry_.rows.position(to) - geometry_.rows.position(top);
      clamp_scroll();
      move(dir * l.page_rows(), 0, shift);
      return kRedraw | kHandled;
    }
    case Key::f2:
      begin_edit(EditMode::edit, editor_->input_text(sheet_, state().active));
      return kRedraw | kEditSync | kHandled;
    case Key::del: {
      editor_->clear_range(sheet_, selection());
      return after_change() | kHandled;
    }
    case Key::backspace:
      begin_edit(EditMode::enter, "");
      return kRedraw | kEditSync | kHandled;
    case Key::escape:
      return kHandled;
    case Key::undo:
      return (editor_->undo() ? after_change() : 0) | kHandled;
    case Key::redo:
      return (editor_->redo() ? after_change() : 0) | kHandled;
    case Key::go_to:
      begin_edit(EditMode::go_to, "");
      return kRedraw | kEditSync | kHandled;
    case Key::select_all: {
      const CellAddress used = sheet_ref().used_extent();
      st().anchor = {0, 0};
      st().active = used;
      return kRedraw | kHandled;
    }
  }
  return 0;
}

std::uint32_t Controller::input(std::string_view text, std::int32_t caret16) {
  if (!workbook_) return 0;
  if (mode_ == EditMode::none) {
    if (text.empty()) return 0;
    begin_edit(EditMode::enter, "");
  }
  text_.assign(text);
  caret_ = utf8_offset(text_, caret16);
  message_.clear();
  point_.reset();
  return kRedraw;
}

std::uint32_t Controller::caret(std::int32_t caret16) {
  if (mode_ == EditMode::none) return 0;
  const std::int32_t at = utf8_offset(text_, caret16);
  if (at == caret_) return 0;
  caret_ = at;
  return kRedraw;
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

// Whole rows, columns or the sheet copy only as far as something is written.
CellRange Controller::written_part(const CellRange& r) const {
  const CellAddress used = sheet_ref().used_extent();
  CellRange out = r;
  out.last.row = std::max(out.first.row, std::min(out.last.row, used.row));
  out.last.col = std::max(out.first.col, std::min(out.last.col, used.col));
  return out;
}

std::string Controller::copy() {
  if (!workbook_) return {};
  const CellRange range = written_part(selection());
  clip_text_ = editor_->copy_tsv(sheet_, range);
  clip_cells_ = editor_->copy_cells(sheet_, range);
  return clip_text_;
}

std::uint32_t Controller::cut(std::string& copied) {
  if (!workbook_) return 0;
  copied = copy();
  clip_cells_.moved = true;
  editor_->clear_range(sheet_, selection());
  return after_change();
}

std::uint32_t Controller::paste(std::string_view tsv) {
  if (!workbook_ || tsv.empty()) return 0;
  const CellRange filled = same_lines(tsv, clip_text_) ? editor_->paste_cells(sheet_, selection().first, clip_cells_)
                                             : editor_->paste_tsv(sheet_, selection().first, tsv);
  st().active = filled.first;
  st().anchor = filled.last;
  return after_change();
}

std::uint32_t Controller::scroll(double dx, double dy) {
  if (!workbook_) return 0;
  if (menu_) {
    if (dy == 0) return 0;
    const std::int32_t count = static_cast<std::int32_t>(menu_->values.size());
    menu_->first = std::clamp(menu_->first + (dy > 0 ? 1 : -1) * std::max(1, static_cast<std::int32_t>(std::abs(dy) / kMenuRow)),
                              0, std::max(0, count - kMenuRows));
    return kRedraw;
  }
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

std::uint32_t Controller::open_filter(std::int32_t col) {
  FilterMenu m;
  m.col = col;
  m.values = editor_->filter_values(sheet_, col);
  const auto& filter = sheet_ref().auto_filter;
  const FilterColumn* active = nullptr;
  if (filter)
    for (const FilterColumn& fc : filter->columns)
      if (fc.col_offset == col - filter->range.first.col) active = &fc;
  for (const std::string& v : m.values) {
    bool shown = !active || (v.empty() ? active->blanks : std::find(active->values.begin(), active->values.end(), v) != active->values.end());
    m.shown.push_back(shown);
  }
  const Layout l = layout();
  const Rect button = l.filter_button({filter ? filter->range.first.row : 0, col});
  const double rows = std::min<double>(kMenuRows, static_cast<double>(m.values.size())) + 1;
  double w = 200;
  for (const std::string& v : m.values) w = std::max(w, text_width_px(v, 11, false) + 48);
  w = std::min(w, 320.0);
  const double h = rows * kMenuRow + 44;
  double x = std::min(button.x, width_ - w - 4);
  double y = button.bottom() + 2;
  if (y + h > height_ - Layout::kTabsHeight) y = std::max(Layout::kBarHeight, button.y - h - 2);
  m.box = {std::max(0.0, x), y, w, h};
  menu_ = std::move(m);
  return kRedraw;
}

// The menu: "(Seleziona tutto)", one line per value, then "OK" and "Annulla".
std::uint32_t Controller::filter_pointer(double x, double y) {
  FilterMenu& m = *menu_;
  if (!m.box.contains(x, y)) {
    menu_.reset();
    return kRedraw;
  }
  const double top = m.box.y + 6;
  const std::int32_t visible = std::min<std::int32_t>(kMenuRows, static_cast<std::int32_t>(m.values.size()));
  const double buttons_y = top + (visible + 1) * kMenuRow + 6;
  if (y >= buttons_y) {
    const bool ok = x < m.box.x + m.box.w / 2;
    std::uint32_t flags = kRedraw;
    if (ok) {
      const bool all = std::all_of(m.shown.begin(), m.shown.end(), [](bool b) { return b; });
      std::optional<std::vector<std::string>> shown;
      if (!all) {
        shown.emplace();
        for (std::size_t i = 0; i < m.values.size(); ++i)
          if (m.shown[i]) shown->push_back(m.values[i]);
      }
      if (editor_->set_filter(sheet_, m.col, shown)) flags |= after_change();
    }
    menu_.reset();
    return flags;
  }
  const auto line = static_cast<std::int32_t>(std::floor((y - top) / kMenuRow));
  if (line == 0) {
    const bool all = std::all_of(m.shown.begin(), m.shown.end(), [](bool b) { return b; });
    std::fill(m.shown.begin(), m.shown.end(), !all);
  } else if (line > 0 && line <= visible) {
    const std::size_t i = static_cast<std::size_t>(m.first + line - 1);
    if (i < m.shown.size()) m.shown[i] = !m.shown[i];
  }
  return kRedraw;
}

std::uint32_t Controller::pointer(PointerKind kind, double x, double y, std::int32_t mods, std::int32_t clicks) {
  if (!workbook_) return 0;
  const Layout l = layout();
  const Hit hit = l.hit(x, y);
  if (kind == PointerKind::move) {
    cursor_ = hit.area == Area::cell ? Cursor::cell
              : hit.area == Area::tab || hit.area == Area::filter_button ? Cursor::pointer
              : hit.area == Area::edit_name || hit.area == Area::edit_content ? Cursor::text
                                                                               : Cursor::normal;
    if (!dragging_) return 0;
    if (drag_area_ == Area::vscroll || drag_area_ == Area::hscroll) return scroll_bar(l, drag_area_, kind, x, y);
    if (point_drag_) {
      if (hit.area != Area::cell || !point_ || hit.cell == point_->moving) return 0;
      point_at(point_->anchor, hit.cell);
      return kRedraw | kEditSync;
    }
    SheetState& s = st();
    if (drag_area_ == Area::cell && (hit.area == Area::cell || hit.area == Area::filter_button)) {
      if (s.active == hit.cell) return 0;
      s.active = hit.cell;
      return kRedraw;
    }
    if (drag_area_ == Area::col_header && hit.area == Area::col_header) {
      s.active = {kMaxRows - 1, hit.cell.col};
      return kRedraw;
    }
    if (drag_area_ == Area::row_header && hit.area == Area::row_header) {
      s.active = {hit.cell.row, kMaxColumns - 1};
      return kRedraw;
    }
    return 0;
  }
  if (kind == PointerKind::up) {
    dragging_ = false;
    point_drag_ = false;
    return 0;
  }
  if (menu_) return filter_pointer(x, y);

  std::uint32_t flags = 0;
  const bool shift = mods & kShift;
  if (hit.area == Area::edit_name) {
    flags |= finish_edit();
    if (mode_ != EditMode::none) return flags;
    begin_edit(EditMode::go_to, "");
    return flags | kRedraw | kEditSync;
  }
  if (hit.area == Area::edit_content) {
    if (mode_ == EditMode::enter) {
      mode_ = EditMode::edit;
      return kRedraw;
    }
    if (mode_ == EditMode::none) {
      begin_edit(EditMode::edit, editor_->input_text(sheet_, state().active));
      return kRedraw | kEditSync;
    }
    return 0;
  }
  if (hit.area == Area::none) return 0;
  if (hit.area == Area::vscroll || hit.area == Area::hscroll) return scroll_bar(l, hit.area, kind, x, y);
  // A click on a cell while a formula waits for an operand writes its reference.
  if (hit.area == Area::cell && can_point()) {
    const CellAddress a = merged_origin(hit.cell);
    point_at(shift && point_ && static_cast<std::size_t>(caret_) == point_->end ? point_->anchor : a, a);
    dragging_ = point_drag_ = true;
    drag_area_ = Area::cell;
    return kRedraw | kEditSync;
  }
  // Anything else first closes the cell being typed in.
  flags |= finish_edit();
  if (mode_ != EditMode::none) return flags;
  message_.clear();
  SheetState& s = st();
  switch (hit.area) {
    case Area::tab:
      switch_sheet(hit.tab);
      return flags | kRedraw;
    case Area::filter_button:
      return flags | open_filter(hit.cell.col);
    case Area::corner:
      s.anchor = {0, 0};
      s.active = {kMaxRows - 1, kMaxColumns - 1};
      return flags | kRedraw;
    case Area::col_header:
      if (!shift) s.anchor = {0, hit.cell.col};
      s.active = {kMaxRows - 1, hit.cell.col};
      dragging_ = true;
      drag_area_ = Area::col_header;
      return flags | kRedraw;
    case Area::row_header:
      if (!shift) s.anchor = {hit.cell.row, 0};
      s.active = {hit.cell.row, kMaxColumns - 1};
      dragging_ = true;
      drag_area_ = Area::row_header;
      return flags | kRedraw;
    case Area::cell:
      if (shift) {
        s.active = hit.cell;
      } else {
        s.active = merged_origin(hit.cell);
        s.anchor = s.active;
      }
      dragging_ = true;
      drag_area_ = Area::cell;
      if (clicks >= 2) {
        dragging_ = false;
        begin_edit(EditMode::edit, editor_->input_text(sheet_, s.active));
        return flags | kRedraw | kEditSync;
      }
      return flags | kRedraw;
    default:
      return flags;
  }
}

std::int32_t Controller::edit_caret_utf16() const {
  return utf16_length(std::string_view(text_).substr(0, static_cast<std::size_t>(caret_)));
}

// Dragging a thumb moves the view in proportion; a press beside it turns a page.
std::uint32_t Controller::scroll_bar(const Layout& l, Area area, PointerKind kind, double x, double y) {
  const bool vertical = area == Area::vscroll;
  const ScrollBar& bar = vertical ? l.vertical() : l.horizontal();
  SheetState& s = st();
  double& scroll = vertical ? s.scroll_y : s.scroll_x;
  const double at = vertical ? y : x;
  if (kind == PointerKind::down) {
    const double thumb_from = vertical ? bar.thumb.y : bar.thumb.x;
    const double thumb_to = thumb_from + (vertical ? bar.thumb.h : bar.thumb.w);
    if (at < thumb_from || at > thumb_to) {
      const double page = (vertical ? bar.track.h : bar.track.w) / s.zoom;
      scroll += at < thumb_from ? -page : page;
    } else {
      dragging_ = true;
      drag_area_ = area;
      drag_from_ = at;
      drag_scroll_ = scroll;
    }
  } else {
    const double room = vertical ? bar.track.h - bar.thumb.h : bar.track.w - bar.thumb.w;
    if (room > 0) scroll = drag_scroll_ + (at - drag_from_) * bar.travel / room;
  }
  clamp_scroll();
  return kRedraw;
}

Rect Controller::field_box() const {
  if (!workbook_) return {};
  const Layout l = layout();
  if (mode_ == EditMode::go_to) return l.name_box();
  const CellAddress a = state().active;
  const CellRange* m = sheet_ref().merge_at(a);
  return m ? l.range_rect(*m) : l.cell_rect(a);
}

double Controller::field_font_px() const {
  if (!workbook_) return 15;
  const Cell* c = sheet_ref().cell(state().active);
  const Font& f = workbook_->styles.font_of(c ? c->style : 0);
  return points_to_px(f.size) * state().zoom;
}

}  // namespace stilaro::view
