#include "painter.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "core/number_format.h"
#include "view/cell_text.h"
#include "view/chart_painter.h"
#include "view/conditional_look.h"
#include "view/text_metrics.h"

namespace stilaro::view {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kInk = 0xFF16161A;
constexpr std::uint32_t kGridLine = 0xFFE0E0E4;
constexpr std::uint32_t kHeaderFill = 0xFFF3F3F6;
constexpr std::uint32_t kHeaderPicked = 0xFFDCE3F2;
constexpr std::uint32_t kHeaderLine = 0xFFD0D0D8;
constexpr std::uint32_t kHeaderText = 0xFF3A3A44;
constexpr std::uint32_t kAccent = 0xFF1A56B0;
constexpr std::uint32_t kSelectionTint = 0x261A56B0;
constexpr std::uint32_t kBrandRed = 0xFFD50217;
constexpr std::uint32_t kMuted = 0xFF60606C;
constexpr std::uint32_t kBarFill = 0xFFF7F7F9;
constexpr std::uint32_t kFrozenLine = 0xFF9A9AA6;
constexpr std::uint32_t kWarning = 0xFFC62828;
constexpr std::uint32_t kPointed = 0xFF1E8E4E;

Rect intersect(const Rect& a, const Rect& b) {
  const double x = std::max(a.x, b.x), y = std::max(a.y, b.y);
  const double r = std::min(a.right(), b.right()), bt = std::min(a.bottom(), b.bottom());
  return {x, y, std::max(0.0, r - x), std::max(0.0, bt - y)};
}

struct Span {
  std::int32_t first = 0, last = -1;  // inclusive
};

double border_width(BorderSide::Style s) {
  switch (s) {
    case BorderSide::Style::Medium:
    case BorderSide::Style::MediumDashed:
    case BorderSide::Style::MediumDashDot:
    case BorderSide::Style::MediumDashDotDot:
    case BorderSide::Style::SlantDashDot: return 2;
    case BorderSide::Style::Thick: return 3;
    default: return 1;
  }
}

LineStyle border_line(BorderSide::Style s) {
  switch (s) {
    case BorderSide::Style::Dashed:
    case BorderSide::Style::MediumDashed:
    case BorderSide::Style::DashDot:
    case BorderSide::Style::MediumDashDot:
    case BorderSide::Style::DashDotDot:
    case BorderSide::Style::MediumDashDotDot:
    case BorderSide::Style::SlantDashDot: return LineStyle::dashed;
    case BorderSide::Style::Dotted:
    case BorderSide::Style::Hair: return LineStyle::dotted;
    default: return LineStyle::solid;
  }
}

class Painter {
 public:
  Painter(const Controller& c, DisplayList& out)
      : c_(c), out_(out), wb_(c.workbook()), sheet_(wb_.sheets[c.sheet()]), l_(c.layout()), z_(c.state().zoom),
        looks_(wb_, c.sheet(), c.editor().options()) {
    // Only merges touching the rows on screen matter to this frame.
    const std::int32_t top = std::max(0, l_.first_row() - 1), bottom = l_.last_row() + 1;
    const std::int32_t frozen = l_.viewport().frozen_rows;
    for (const CellRange& m : sheet_.merges)
      if ((m.first.row <= bottom && m.last.row >= top) || m.first.row < frozen) merges_.push_back(&m);
  }

  void run() {
    const Viewport& v = l_.viewport();
    out_.rect(0, 0, v.width, v.height, kWhite);
    const Span frozen_cols{0, v.frozen_cols - 1}, frozen_rows{0, v.frozen_rows - 1};
    const Span cols{l_.first_col(), l_.last_col()}, rows{l_.first_row(), l_.last_row()};
    pane(rows, cols);
    if (v.frozen_cols) pane(rows, frozen_cols);
    if (v.frozen_rows) pane(frozen_rows, cols);
    if (v.frozen_rows && v.frozen_cols) pane(frozen_rows, frozen_cols);
    paint_charts(wb_, c_.sheet(), l_, z_, out_);
    frozen_lines();
    scroll_bars();
    headers(frozen_cols, cols, frozen_rows, rows);
    editor_box();
    bar();
    tabs();
    filter_menu();
  }

 private:
  Rect pane_rect(const Span& rows, const Span& cols) const {
    return l_.pane_of({rows.first, cols.first});
  }

  void pane(const Span& rows, const Span& cols) {
    if (rows.last < rows.first || cols.last < cols.first) return;
    const Rect clip = pane_rect(rows, cols);
    if (clip.w <= 0 || clip.h <= 0) return;
    out_.clip(clip.x, clip.y, clip.w, clip.h);
    if (sheet_.view.show_grid_lines) grid_lines(rows, cols, clip);
    fills(rows, cols);
    borders(rows, cols);
    texts(rows, cols, clip);
    filter_buttons(rows, cols);
    selection(clip);
    pointed();
    out_.unclip();
  }

  void grid_lines(const Span& rows, const Span& cols, const Rect& clip) {
    for (std::int32_t c = cols.first; c <= cols.last + 1; ++c) {
      if (c <= cols.last && l_.geometry().cols.hidden(c)) continue;
      const double x = l_.col_x(c) - 0.0;
      out_.line(x, clip.y, x, clip.bottom(), 1, kGridLine);
    }
    for (std::int32_t r = rows.first; r <= rows.last + 1; ++r) {
      if (r <= rows.last && l_.geometry().rows.hidden(r)) continue;
      const double y = l_.row_y(r);
      out_.line(clip.x, y, clip.right(), y, 1, kGridLine);
    }
  }

  // Calls visit(address, cell) for the written cells of the rows and columns.
  const CellRange* merge_at(CellAddress a) const {
    for (const CellRange* m : merges_)
      if (m->contains(a)) return m;
    return nullptr;
  }

  template <typename Visit>
  void cells(const Span& rows, const Span& cols, Visit visit) const {
    for (auto it = sheet_.rows.lower_bound(rows.first); it != sheet_.rows.end() && it->first <= rows.last; ++it) {
      if (it->second.hidden) continue;
      const auto& row_cells = it->second.cells;
      for (auto ct = row_cells.lower_bound(cols.first); ct != row_cells.end() && ct->first <= cols.last; ++ct)
        visit(CellAddress{it->first, ct->first}, ct->second);
    }
  }

  std::vector<const CellRange*> merges_in(const Span& rows, const Span& cols) const {
    std::vector<const CellRange*> out;
    for (const CellRange* m : merges_)
      if (m->first.row <= rows.last && m->last.row >= rows.first && m->first.col <= cols.last && m->last.col >= cols.first)
        out.push_back(m);
    return out;
  }

  std::uint32_t fill_colour(std::uint32_t style) const {
    const Fill& f = wb_.styles.fill_of(style);
    if (f.pattern == Fill::Pattern::Solid) {
      if (f.foreground.is_set()) return f.foreground.argb;
      if (f.background.is_set()) return f.background.argb;
      return 0;
    }
    if (f.pattern == Fill::Pattern::Other && f.foreground.is_set()) return f.foreground.argb;
    return 0;
  }

  // A solid fill, or a pattern: the foreground's dots or lines over the background.
  void fill(const Rect& r, std::uint32_t style, bool merged) {
    const Fill& f = wb_.styles.fill_of(style);
    if (f.hatch != Hatch::None && (f.pattern == Fill::Pattern::Other || f.pattern == Fill::Pattern::Gray125)) {
      const std::uint32_t fg = f.foreground.is_set() && f.foreground.kind != Color::Kind::Auto ? f.foreground.argb : kInk;
      const std::uint32_t bg = f.background.is_set() && f.background.kind != Color::Kind::Auto ? f.background.argb : kWhite;
      out_.pattern(r.x, r.y, r.w, r.h, static_cast<std::uint32_t>(f.hatch), fg, bg);
      return;
    }
    const std::uint32_t colour = fill_colour(style);
    if (colour || merged) out_.rect(r.x, r.y, r.w, r.h, colour ? colour : kWhite);
  }

  void fills(const Span& rows, const Span& cols) {
    cells(rows, cols, [&](CellAddress a, const Cell& cell) {
      if (!merge_at(a)) fill(l_.cell_rect(a), cell.style, false);
    });
    // A merged range shows its first cell's fill, and no grid lines inside.
    for (const CellRange* m : merges_in(rows, cols)) {
      const Cell* first = sheet_.cell(m->first);
      fill(l_.range_rect(*m), first ? first->style : 0, true);
    }
    conditional_fills(rows, cols);
  }

  const ConditionalLook& look(CellAddress a) {
    auto [it, added] = looks_seen_.try_emplace({a.row, a.col});
    if (added) it->second = looks_.at(a);
    return it->second;
  }

  // Conditional formats reach empty cells too, so every visible cell of their ranges is asked.
  void conditional_fills(const Span& rows, const Span& cols) {
    for (const ConditionalFormat& f : sheet_.conditional_formats)
      for (const CellRange& range : f.ranges)
        for (std::int32_t r = std::max(rows.first, range.first.row); r <= std::min(rows.last, range.last.row); ++r) {
          if (l_.geometry().rows.hidden(r)) continue;
          for (std::int32_t c = std::max(cols.first, range.first.col); c <= std::min(cols.last, range.last.col); ++c) {
            const CellRange* m = merge_at({r, c});
            if (l_.geometry().cols.hidden(c) || (m && m->first != CellAddress{r, c})) continue;
            if (!drawn_looks_.insert({r, c}).second) continue;
            const ConditionalLook& lk = look({r, c});
            const Rect box = m ? l_.range_rect(*m) : l_.cell_rect({r, c});
            if (lk.fill) out_.rect(box.x, box.y, box.w, box.h, *lk.fill);
            if (lk.bar > 0) {
              const double inset = 2 * z_;
              out_.rect(box.x + inset, box.y + inset, (box.w - 2 * inset) * lk.bar, box.h - 2 * inset, lk.bar_colour);
            }
          }
        }
  }

  bool inner_edge(const CellRange* m, CellAddress a, int dr, int dc) const {
    return m && m->contains({a.row + dr, a.col + dc});
  }

  void side(const BorderSide& s, double x1, double y1, double x2, double y2) {
    if (s.style == BorderSide::Style::None) return;
    const std::uint32_t colour = s.color.is_set() && s.color.kind != Color::Kind::Auto ? s.color.argb : kInk;
    if (s.style == BorderSide::Style::Double) {
      const bool horizontal = y1 == y2;
      const double d = 1.5;
      out_.line(x1 - (horizontal ? 0 : d), y1 - (horizontal ? d : 0), x2 - (horizontal ? 0 : d), y2 - (horizontal ? d : 0), 1, colour);
      out_.line(x1 + (horizontal ? 0 : d), y1 + (horizontal ? d : 0), x2 + (horizontal ? 0 : d), y2 + (horizontal ? d : 0), 1, colour);
      return;
    }
    out_.line(x1, y1, x2, y2, border_width(s.style), colour, border_line(s.style));
  }

  void borders(const Span& rows, const Span& cols) {
    const Span wide_rows{std::max(0, rows.first - 1), rows.last + 1};
    const Span wide_cols{std::max(0, cols.first - 1), cols.last + 1};
    cells(wide_rows, wide_cols, [&](CellAddress a, const Cell& cell) {
      if (l_.geometry().cols.hidden(a.col)) return;
      const Border& b = wb_.styles.border_of(cell.style);
      if (b == Border{}) return;
      const CellRange* m = merge_at(a);
      const Rect r = l_.cell_rect(a);
      if (!inner_edge(m, a, 0, -1)) side(b.left, r.x, r.y, r.x, r.bottom());
      if (!inner_edge(m, a, 0, 1)) side(b.right, r.right(), r.y, r.right(), r.bottom());
      if (!inner_edge(m, a, -1, 0)) side(b.top, r.x, r.y, r.right(), r.y);
      if (!inner_edge(m, a, 1, 0)) side(b.bottom, r.x, r.bottom(), r.right(), r.bottom());
    });
  }

  // The grid line on the left edge of a column, within one row's height.
  void cover_grid_line(std::int32_t row, std::int32_t col, const Rect& box) {
    const Cell* right = sheet_.cell({row, col});
    const Cell* left = col > 0 ? sheet_.cell({row, col - 1}) : nullptr;
    if (right && (fill_colour(right->style) || wb_.styles.border_of(right->style).left.style != BorderSide::Style::None)) return;
    if (left && (fill_colour(left->style) || wb_.styles.border_of(left->style).right.style != BorderSide::Style::None)) return;
    const double x = l_.col_x(col);
    out_.rect(x - 0.5, box.y + 0.5, 1, box.h - 1, kWhite);
  }

  bool empty_at(std::int32_t row, std::int32_t col) const {
    const Cell* c = sheet_.cell({row, col});
    return (!c || (c->value.is_empty() && !c->has_formula())) && !merge_at({row, col});
  }

  void draw_text(CellAddress a, const Cell& cell, Rect box, const Rect& pane) {
    if (l_.has_filter_button(a)) box.w -= l_.filter_button(a).w;
    const ConditionalLook* lk = sheet_.conditional_formats.empty() ? nullptr : &look(a);
    CellText t = cell_text(wb_, cell, box.w, z_, lk);
    if (t.lines.empty()) return;
    Rect clip = box;
    if (t.overflows) {
      // Single-line text spills over empty neighbours on the side it leans to.
      const double need = t.width + 2 * t.inset;
      const int steps = t.spill == Align::centre ? 2 : 1;
      double reach_right = 0, reach_left = 0;
      const double extra = (need - box.w) / steps;
      if (t.spill != Align::right)
        for (std::int32_t c = a.col + 1; reach_right < extra && c < kMaxColumns && empty_at(a.row, c); ++c)
          reach_right += l_.geometry().cols.size(c) * z_;
      if (t.spill != Align::left)
        for (std::int32_t c = a.col - 1; reach_left < extra && c >= 0 && empty_at(a.row, c); --c)
          reach_left += l_.geometry().cols.size(c) * z_;
      clip.x -= reach_left;
      clip.w += reach_left + reach_right;
      if (t.spill != Align::centre) box = clip;
      // Spilled text hides the grid lines it crosses, between cells without a fill.
      if (sheet_.view.show_grid_lines && fill_colour(cell.style) == 0) {
        for (std::int32_t c = a.col + 1; l_.col_x(c) < clip.right() - 0.5 && c < kMaxColumns; ++c)
          cover_grid_line(a.row, c, box);
        for (std::int32_t c = a.col; c > 0 && l_.col_x(c) > clip.x + 0.5; --c) cover_grid_line(a.row, c, box);
      }
    }
    clip = intersect(clip, pane);
    if (clip.w <= 0 || clip.h <= 0) return;
    const double x = t.style.align == Align::left    ? box.x + t.inset
                     : t.style.align == Align::right ? box.right() - t.inset
                                                     : box.x + box.w / 2;
    // Most cells' text lies well inside its clip, and every clip costs the canvas a save and a restore.
    const bool clipped = !ink_inside(t, x, baseline(t, box, 0), clip);
    if (clipped) out_.clip(clip.x, clip.y, clip.w, clip.h);
    for (std::size_t i = 0; i < t.lines.size(); ++i) out_.text(x, baseline(t, box, i), t.lines[i], t.style);
    if (clipped) out_.unclip();
  }

  // Whether one line of text stays inside the clip, its ink reaching past the advance
  // widths by a tenth of the size, an italic's lean, and above and below the baseline
  // as far as the font's Latin letters go (further for other characters: accents on capitals).
  static bool ink_inside(const CellText& t, double x, double y, const Rect& clip) {
    if (t.lines.size() != 1) return false;
    const std::string& line = t.lines.front();
    const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const double size = t.style.size_px, lean = t.style.italic ? size * 0.25 : 0;
    const double left = t.style.align == Align::left    ? x
                        : t.style.align == Align::right ? x - t.width
                                                        : x - t.width / 2;
    const double above = size * (ascii ? 0.8 : 1.0), below = size * (ascii ? 0.25 : 0.35);
    return left - size * 0.1 >= clip.x + 0.5 && left + t.width + size * 0.1 + lean <= clip.right() - 0.5 &&
           y - above >= clip.y + 0.5 && y + below <= clip.bottom() - 0.5;
  }

  void texts(const Span& rows, const Span& cols, const Rect& pane) {
    // Whole rows: text from cells outside the columns may spill into them.
    const Span all_cols{0, kMaxColumns - 1};
    cells(rows, all_cols, [&](CellAddress a, const Cell& cell) {
      if (cell.value.is_empty()) return;
      if (merge_at(a) || l_.geometry().cols.hidden(a.col)) return;
      if (a.col < cols.first - 30 || a.col > cols.last + 30) return;
      // Frozen columns draw their text in their own pane only.
      const std::int32_t frozen = l_.viewport().frozen_cols;
      if ((a.col < frozen) != (cols.first < frozen)) return;
      draw_text(a, cell, l_.cell_rect(a), pane);
    });
    for (const CellRange* m : merges_in(rows, cols)) {
      const Cell* first = sheet_.cell(m->first);
      if (first && !first->value.is_empty()) draw_text(m->first, *first, l_.range_rect(*m), pane);
    }
  }

  void filter_buttons(const Span& rows, const Span& cols) {
    const auto& filter = sheet_.auto_filter;
    if (!filter || filter->range.first.row < rows.first || filter->range.first.row > rows.last) return;
    for (std::int32_t c = std::max(cols.first, filter->range.first.col); c <= std::min(cols.last, filter->range.last.col); ++c) {
      if (l_.geometry().cols.hidden(c)) continue;
      const CellAddress a{filter->range.first.row, c};
      const Rect b = l_.filter_button(a);
      bool active = false;
      for (const FilterColumn& fc : filter->columns) active |= fc.col_offset == c - filter->range.first.col;
      out_.filter_button(b.x, b.y, b.w, b.h, active);
    }
  }

  void selection(const Rect& clip) {
    const CellRange sel = c_.selection();
    const Rect r = intersect(l_.range_rect(sel), clip);
    if (r.w <= 0 || r.h <= 0) return;
    if (sel.first != sel.last) {
      const CellAddress a = c_.state().active;
      const CellRange* m = sheet_.merge_at(a);
      const Rect act = m ? l_.range_rect(*m) : l_.cell_rect(a);
      const Rect full = l_.range_rect(sel);
      // Tinted everywhere but on the active cell.
      for (const Rect& part : {Rect{full.x, full.y, full.w, act.y - full.y},
                               Rect{full.x, act.bottom(), full.w, full.bottom() - act.bottom()},
                               Rect{full.x, act.y, act.x - full.x, act.h},
                               Rect{act.right(), act.y, full.right() - act.right(), act.h}}) {
        const Rect p = intersect(part, clip);
        if (p.w > 0 && p.h > 0) out_.rect(p.x, p.y, p.w, p.h, kSelectionTint);
      }
    }
    const Rect full = l_.range_rect(sel);
    out_.frame(full.x - 1, full.y - 1, full.w + 2, full.h + 2, 2, kAccent);
  }

  // The cells a formula being typed points at.
  void pointed() {
    const std::optional<CellRange> r = c_.point_range();
    if (!r) return;
    const Rect full = l_.range_rect(*r);
    out_.frame(full.x - 1, full.y - 1, full.w + 2, full.h + 2, 2, kPointed);
  }

  void scroll_bars() {
    for (const ScrollBar* bar : {&l_.vertical(), &l_.horizontal()}) {
      if (bar->travel <= 0 || bar->track.w <= 0 || bar->track.h <= 0) continue;
      out_.rect(bar->track.x, bar->track.y, bar->track.w, bar->track.h, 0x18000000);
      out_.rect(bar->thumb.x, bar->thumb.y, bar->thumb.w, bar->thumb.h, 0x70000000);
    }
  }

  void frozen_lines() {
    const Rect g = l_.grid();
    if (l_.viewport().frozen_cols) {
      const double x = g.x + l_.frozen_width();
      out_.line(x, g.y, x, g.bottom(), 1, kFrozenLine);
    }
    if (l_.viewport().frozen_rows) {
      const double y = g.y + l_.frozen_height();
      out_.line(g.x, y, g.right(), y, 1, kFrozenLine);
    }
  }

  void headers(const Span& frozen_cols, const Span& cols, const Span& frozen_rows, const Span& rows) {
    const Rect g = l_.grid();
    const double top = Layout::kBarHeight, hh = l_.header_height(), hw = l_.header_width();
    const CellRange sel = c_.selection();
    const double size = std::clamp(11.0 * z_, 8.0, 16.0) * 4 / 3 * 0.82;
    out_.rect(0, top, l_.viewport().width, hh, kHeaderFill);
    out_.rect(0, g.y, hw, g.h, kHeaderFill);

    auto col_headers = [&](const Span& span, double clip_x, double clip_w) {
      if (span.last < span.first || clip_w <= 0) return;
      out_.clip(clip_x, top, clip_w, hh);
      for (std::int32_t c = span.first; c <= span.last; ++c) {
        if (l_.geometry().cols.hidden(c)) continue;
        const double x = l_.col_x(c), w = l_.geometry().cols.size(c) * z_;
        const bool picked = c >= sel.first.col && c <= sel.last.col;
        if (picked) {
          out_.rect(x, top, w, hh, kHeaderPicked);
          out_.line(x, top + hh - 1, x + w, top + hh - 1, 2, kAccent);
        }
        out_.line(x + w, top, x + w, top + hh, 1, kHeaderLine);
        out_.text(x + w / 2, top + hh / 2 + size * 0.36, column_name(c), plain_text(size, picked ? kAccent : kHeaderText, Align::centre, picked));
      }
      out_.unclip();
    };
    auto row_headers = [&](const Span& span, double clip_y, double clip_h) {
      if (span.last < span.first || clip_h <= 0) return;
      out_.clip(0, clip_y, hw, clip_h);
      for (std::int32_t r = span.first; r <= span.last; ++r) {
        if (l_.geometry().rows.hidden(r)) continue;
        const double y = l_.row_y(r), h = l_.geometry().rows.size(r) * z_;
        const bool picked = r >= sel.first.row && r <= sel.last.row;
        if (picked) {
          out_.rect(0, y, hw, h, kHeaderPicked);
          out_.line(hw - 1, y, hw - 1, y + h, 2, kAccent);
        }
        out_.line(0, y + h, hw, y + h, 1, kHeaderLine);
        if (h >= size * 0.8)
          out_.text(hw / 2, y + h / 2 + size * 0.36, std::to_string(r + 1), plain_text(size, picked ? kAccent : kHeaderText, Align::centre, picked));
      }
      out_.unclip();
    };
    col_headers(frozen_cols, g.x, l_.frozen_width());
    col_headers(cols, g.x + l_.frozen_width(), g.w - l_.frozen_width());
    row_headers(frozen_rows, g.y, l_.frozen_height());
    row_headers(rows, g.y + l_.frozen_height(), g.h - l_.frozen_height());
    out_.line(0, top + hh, l_.viewport().width, top + hh, 1, kHeaderLine);
    out_.line(hw, top, hw, g.bottom(), 1, kHeaderLine);
    // The corner selects everything.
    out_.rect(0, top, hw, hh, kHeaderFill);
    out_.line(hw - 8, top + hh - 3, hw - 3, top + hh - 3, 1, kFrozenLine);
    out_.line(hw - 3, top + hh - 8, hw - 3, top + hh - 3, 1, kFrozenLine);
  }

  // The cell being typed in, drawn over the grid with its own font.
  void editor_box() {
    const EditMode mode = c_.edit_mode();
    if (mode != EditMode::enter && mode != EditMode::edit) return;
    const CellAddress a = c_.state().active;
    const CellRange* m = sheet_.merge_at(a);
    Rect box = m ? l_.range_rect(*m) : l_.cell_rect(a);
    const Cell* cell = sheet_.cell(a);
    const Font& font = wb_.styles.font_of(cell ? cell->style : 0);
    TextStyle style;
    style.size_px = points_to_px(font.size) * z_;
    style.bold = font.bold;
    style.italic = font.italic;
    style.colour = font.color.is_set() ? font.color.argb : 0xFF000000;
    const double lh = points_to_px(line_height_pt(font.size)) * z_;
    std::vector<std::string> lines(1);
    std::size_t caret_line = 0;
    double caret_x = 0;
    const std::string& text = c_.edit_text();
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (static_cast<std::int32_t>(i) == c_.edit_caret()) {
        caret_line = lines.size() - 1;
        caret_x = text_width_px(lines.back(), font.size, font.bold, font.italic) * z_;
      }
      if (i == text.size()) break;
      if (text[i] == '\n') lines.emplace_back();
      else lines.back() += text[i];
    }
    double widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, text_width_px(line, font.size, font.bold, font.italic) * z_);
    const Rect pane = l_.pane_of(a);
    box.w = std::max(box.w, std::min(widest + 12 * z_, pane.right() - box.x));
    box.h = std::max(box.h, lh * static_cast<double>(lines.size()) + 4);
    out_.rect(box.x, box.y, box.w, box.h, kWhite);
    out_.frame(box.x - 1, box.y - 1, box.w + 2, box.h + 2, 2, kAccent);
    out_.clip(box.x, box.y, box.w, box.h);
    const double inset = 3 * z_;
    const double top = box.bottom() - lh * static_cast<double>(lines.size()) - 1;
    for (std::size_t i = 0; i < lines.size(); ++i)
      out_.text(box.x + inset, top + lh * static_cast<double>(i) + (lh + style.size_px * 0.7) / 2, lines[i], style);
    out_.rect(box.x + inset + caret_x, top + lh * static_cast<double>(caret_line) + 2, 1.5, lh - 4, kInk);
    out_.unclip();
  }

  void bar() {
    const Rect b = l_.bar();
    out_.rect(b.x, b.y, b.w, b.h, kBarFill);
    out_.line(0, b.bottom() - 0.5, b.w, b.bottom() - 0.5, 1, kHeaderLine);
    const Rect name = l_.name_box();
    const bool going = c_.edit_mode() == EditMode::go_to;
    out_.rect(name.x, name.y, name.w, name.h, kWhite);
    out_.frame(name.x, name.y, name.w, name.h, going ? 2 : 1, going ? kAccent : kHeaderLine);
    out_.clip(name.x + 2, name.y, name.w - 4, name.h);
    const double mid = name.y + name.h / 2 + 5;
    if (going) {
      const std::string& text = c_.edit_text();
      if (text.empty()) out_.text(name.x + 6, mid, "Vai a…", plain_text(14, kMuted));
      else out_.text(name.x + 6, mid, text, plain_text(14, kInk));
      const double cx = name.x + 6 + text_width_px(std::string_view(text).substr(0, static_cast<std::size_t>(c_.edit_caret())), 10.5, false);
      out_.rect(cx, name.y + 4, 1.5, name.h - 8, kInk);
    } else {
      const CellRange sel = c_.selection();
      out_.text(name.x + 6, mid, format_range(sel), plain_text(14, kInk, Align::left, true));
      out_.text(name.right() - 6, mid, "Vai a", plain_text(11, kMuted, Align::right));
    }
    out_.unclip();
    out_.text(Layout::kNameWidth + 8, mid, "fx", plain_text(14, kMuted, Align::left, false));
    const Rect content = l_.content_box();
    out_.rect(content.x, content.y, content.w, content.h, kWhite);
    out_.frame(content.x, content.y, content.w, content.h, 1, kHeaderLine);
    out_.clip(content.x + 2, content.y, content.w - 4, content.h);
    const bool typing = c_.edit_mode() == EditMode::enter || c_.edit_mode() == EditMode::edit;
    std::string shown = typing ? c_.edit_text() : c_.editor().input_text(c_.sheet(), c_.state().active);
    std::replace(shown.begin(), shown.end(), '\n', ' ');
    out_.text(content.x + 6, mid, shown, plain_text(14, kInk));
    if (typing) {
      std::string before = c_.edit_text().substr(0, static_cast<std::size_t>(c_.edit_caret()));
      std::replace(before.begin(), before.end(), '\n', ' ');
      out_.rect(content.x + 6 + text_width_px(before, 10.5, false), content.y + 4, 1.5, content.h - 8, kInk);
    }
    out_.unclip();
  }

  void tabs() {
    const Rect strip = l_.tabs();
    out_.rect(strip.x, strip.y, strip.w, strip.h, kHeaderFill);
    out_.line(0, strip.y + 0.5, strip.w, strip.y + 0.5, 1, kHeaderLine);
    for (const TabBox& t : l_.tab_boxes()) {
      const bool on = t.sheet == c_.sheet();
      const Rect& b = t.box;
      out_.rect(b.x, b.y, b.w, b.h, on ? kWhite : 0xFFE4E4EA);
      if (on) out_.rect(b.x, b.bottom() - 3, b.w, 3, kBrandRed);
      out_.line(b.right(), b.y + 4, b.right(), b.bottom() - 4, 1, kHeaderLine);
      out_.text(b.x + b.w / 2, b.y + b.h / 2 + 5, wb_.sheets[t.sheet].name, plain_text(14.6667, on ? kInk : kHeaderText, Align::centre, on));
    }
    if (!c_.message().empty()) {
      out_.text(strip.right() - 10, strip.y + strip.h / 2 + 5, c_.message(), plain_text(14, kWarning, Align::right, true));
    }
  }

  void filter_menu() {
    const auto& menu = c_.filter_menu();
    if (!menu) return;
    const Rect& b = menu->box;
    out_.rect(b.x + 2, b.y + 3, b.w, b.h, 0x33000000);
    out_.rect(b.x, b.y, b.w, b.h, kWhite);
    out_.frame(b.x, b.y, b.w, b.h, 1, kFrozenLine);
    const double row = 22, top = b.y + 6;
    auto line = [&](double y, const std::string& text, bool on, bool bold) {
      out_.frame(b.x + 10, y + 5, 12, 12, 1, kHeaderText);
      if (on) out_.rect(b.x + 13, y + 8, 6, 6, kAccent);
      out_.text(b.x + 30, y + 16, text, plain_text(14, kInk, Align::left, bold));
    };
    const bool all = std::all_of(menu->shown.begin(), menu->shown.end(), [](bool v) { return v; });
    out_.clip(b.x, b.y, b.w, b.h);
    line(top, "(Seleziona tutto)", all, true);
    const std::size_t visible = std::min<std::size_t>(10, menu->values.size());
    for (std::size_t i = 0; i < visible; ++i) {
      const std::size_t k = static_cast<std::size_t>(menu->first) + i;
      if (k >= menu->values.size()) break;
      line(top + row * static_cast<double>(i + 1), menu->values[k].empty() ? "(vuote)" : menu->values[k], menu->shown[k], false);
    }
    const double by = top + row * static_cast<double>(visible + 1) + 6;
    out_.line(b.x, by - 3, b.right(), by - 3, 1, kHeaderLine);
    const double half = b.w / 2;
    out_.rect(b.x + 8, by + 4, half - 12, 26, kAccent);
    out_.text(b.x + 8 + (half - 12) / 2, by + 22, "OK", plain_text(14, kWhite, Align::centre, true));
    out_.frame(b.x + half + 4, by + 4, half - 12, 26, 1, kHeaderLine);
    out_.text(b.x + half + 4 + (half - 12) / 2, by + 22, "Annulla", plain_text(14, kInk, Align::centre));
    out_.unclip();
  }

  const Controller& c_;
  DisplayList& out_;
  const Workbook& wb_;
  const Sheet& sheet_;
  const Layout l_;
  const double z_;
  ConditionalLooks looks_;
  std::map<std::pair<std::int32_t, std::int32_t>, ConditionalLook> looks_seen_;
  std::set<std::pair<std::int32_t, std::int32_t>> drawn_looks_;
  std::vector<const CellRange*> merges_;
};

}  // namespace

void paint(const Controller& controller, DisplayList& out) {
  out.clear();
  if (!controller.has_workbook()) return;
  Painter(controller, out).run();
}

}  // namespace stilaro::view
