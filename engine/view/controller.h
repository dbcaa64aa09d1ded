#pragma once
// The engine's user interface state and what every key, pointer move, text
// input and command does to it and to the workbook.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/edit.h"
#include "core/workbook.h"
#include "view/layout.h"

namespace stilaro::view {

// Answer flags of every event, telling the glue what to do next.
enum Flags : std::uint32_t {
  kRedraw = 1,     // paint again
  kChanged = 2,    // the workbook changed: a save is due
  kEditSync = 4,   // load the hidden field with edit_text() and caret()
  kHandled = 8,    // the key was used: prevent the browser's action
  kEditEnd = 16,   // empty the hidden field
};

enum class Key : std::int32_t {
  enter = 1, tab, escape, left, right, up, down, home, end, page_up, page_down, f2, del, backspace,
  undo = 20, redo, select_all, go_to,
};

enum Mods : std::int32_t { kShift = 1, kCtrl = 2, kAlt = 4 };

enum class PointerKind : std::int32_t { down = 0, move = 1, up = 2 };

// What the hidden field is feeding: nothing, a cell typed over (arrows leave it),
// a cell being edited (arrows move the caret) or the "Vai a" field.
enum class EditMode { none, enter, edit, go_to };

enum class Cursor : std::int32_t { normal = 0, cell = 1, col_resize = 2, row_resize = 3, pointer = 4, text = 5 };

struct SheetState {
  CellAddress active;
  CellAddress anchor;  // the other corner of the selection
  double scroll_x = 0, scroll_y = 0;
  double zoom = 1;
};

// The auto-filter menu open under a column's button.
struct FilterMenu {
  std::int32_t col = 0;
  std::vector<std::string> values;
  std::vector<bool> shown;
  std::int32_t first = 0;  // first value visible in the list
  Rect box;
};

class Controller {
 public:
  // Replaces the workbook; empty bytes give a new empty one. Answers an error text
  // for the user, or an empty string.
  std::string open(std::span<const std::uint8_t> bytes, double today);
  void close();
  bool has_workbook() const { return workbook_.has_value(); }
  std::vector<std::uint8_t> save() const;
  std::uint64_t revision() const { return revision_base_ + (editor_ ? editor_->revision() : 0); }

  std::uint32_t resize(double width, double height);
  std::uint32_t key(Key key, std::int32_t mods);
  std::uint32_t input(std::string_view text, std::int32_t caret);
  std::uint32_t caret(std::int32_t caret);
  std::uint32_t pointer(PointerKind kind, double x, double y, std::int32_t mods, std::int32_t clicks);
  std::uint32_t scroll(double dx, double dy);
  std::uint32_t zoom(double factor, double x, double y);
  std::uint32_t commit();
  void cancel_edit();
  // Selects what a "Vai a" text names and puts its first cell at the top left.
  bool go_to(std::string_view text);
  // The selection as tab-separated text for the clipboard; a paste of that same
  // text pastes the cells themselves, formulas included.
  std::string copy();
  std::uint32_t cut(std::string& copied);
  std::uint32_t paste(std::string_view tsv);

  // Read by the painter and the glue.
  const Workbook& workbook() const { return *workbook_; }
  const Editor& editor() const { return *editor_; }
  std::int32_t sheet() const { return sheet_; }
  const SheetState& state() const { return states_[sheet_]; }
  CellRange selection() const;
  EditMode edit_mode() const { return mode_; }
  const std::string& edit_text() const { return text_; }
  std::int32_t edit_caret() const { return caret_; }  // byte offset into edit_text()
  std::int32_t edit_caret_utf16() const;
  bool edit_changed() const { return mode_ == EditMode::enter || (mode_ == EditMode::edit && text_ != original_); }
  const std::string& message() const { return message_; }
  const std::optional<FilterMenu>& filter_menu() const { return menu_; }
  // The cells a formula being typed points at (arrows or the mouse), if any.
  std::optional<CellRange> point_range() const;
  Cursor cursor() const { return cursor_; }
  const SheetGeometry& geometry() const { return geometry_; }
  Viewport viewport() const;
  Layout layout() const { return Layout(*workbook_, sheet_, geometry_, viewport()); }
  // Where the hidden field goes: over the cell or field being typed into.
  Rect field_box() const;
  double field_font_px() const;

 private:
  SheetState& st() { return states_[sheet_]; }
  const Sheet& sheet_ref() const { return workbook_->sheets[sheet_]; }
  void rebuild_geometry();
  void select(CellAddress a, bool extend);
  void move(std::int32_t drow, std::int32_t dcol, bool extend);
  void jump(std::int32_t drow, std::int32_t dcol, bool extend);
  void tab_step(bool back);
  bool can_point() const;
  void point_at(CellAddress anchor, CellAddress moving);
  void point_step(std::int32_t drow, std::int32_t dcol, bool extend);
  void enter_step(bool back);
  void scroll_into_view(CellAddress a);
  void clamp_scroll();
  void switch_sheet(std::int32_t index);
  void begin_edit(EditMode mode, std::string text);
  std::uint32_t finish_edit();  // stores the text; stays open (with a message) when refused
  std::uint32_t after_change();
  std::uint32_t insert_line_break();  // Alt+Enter in a cell
  std::uint32_t open_filter(std::int32_t col);
  std::uint32_t filter_pointer(double x, double y);
  std::uint32_t filter_scroll(double dy);
  std::uint32_t scroll_bar(const Layout& l, Area area, PointerKind kind, double x, double y);
  CellAddress merged_origin(CellAddress a) const;
  CellRange written_part(const CellRange& r) const;

  std::optional<Workbook> workbook_;
  std::unique_ptr<Editor> editor_;
  std::uint64_t revision_base_ = 0;  // keeps revisions growing across workbooks
  std::int32_t sheet_ = 0;
  std::vector<SheetState> states_;
  SheetGeometry geometry_;
  double width_ = 0, height_ = 0;
  EditMode mode_ = EditMode::none;
  std::string text_, original_;
  std::int32_t caret_ = 0;
  std::string message_;
  std::optional<FilterMenu> menu_;
  bool dragging_ = false;
  Area drag_area_ = Area::none;
  double drag_from_ = 0, drag_scroll_ = 0;  // where a scroll-bar thumb drag began
  Cursor cursor_ = Cursor::normal;
  // Where the last run of Tabs began and where it stands now.
  struct TabRun {
    std::int32_t first_col = 0;
    CellAddress at;
  };
  std::optional<TabRun> tab_run_;
  // What the engine last put on the clipboard, as text and as cells.
  std::string clip_text_;
  CellBlock clip_cells_;
  // The reference that pointing wrote into the formula: where its text lies and
  // the cells it names. Typing ends it; the next arrow or click replaces it.
  struct Pointing {
    std::size_t begin = 0, end = 0;
    CellAddress anchor, moving;
  };
  std::optional<Pointing> point_;
  bool point_drag_ = false;
};

}  // namespace stilaro::view
