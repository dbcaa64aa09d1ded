// What each key does.
#include "controller.h"

#include <algorithm>

namespace stilaro::view {

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
          return insert_line_break() | kHandled;
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

}  // namespace stilaro::view
