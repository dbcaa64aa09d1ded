// Typing into a cell or the "Vai a" field, pointing at cells from a formula, and storing the text.
#include "controller.h"

#include <algorithm>

#include "view/text_metrics.h"

namespace stilaro::view {
namespace {

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

}  // namespace

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

std::uint32_t Controller::insert_line_break() {
  const std::int32_t at = utf8_offset(text_, caret_);
  text_.insert(static_cast<std::size_t>(at), "\n");
  caret_ += 1;
  return kRedraw | kEditSync;
}

std::uint32_t Controller::caret(std::int32_t caret16) {
  if (mode_ == EditMode::none) return 0;
  const std::int32_t at = utf8_offset(text_, caret16);
  if (at == caret_) return 0;
  caret_ = at;
  return kRedraw;
}

std::int32_t Controller::edit_caret_utf16() const {
  return utf16_length(std::string_view(text_).substr(0, static_cast<std::size_t>(caret_)));
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
