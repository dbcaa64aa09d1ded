// Copy, cut and paste of the selection.
#include "controller.h"

#include <algorithm>

namespace stilaro::view {
namespace {

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

}  // namespace

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

}  // namespace stilaro::view
