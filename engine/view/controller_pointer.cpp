// What pressing, dragging and releasing the pointer does, scroll bars included.
#include "controller.h"

#include <algorithm>

namespace stilaro::view {

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

}  // namespace stilaro::view
