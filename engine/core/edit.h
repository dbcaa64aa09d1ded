// Editing a workbook as a user does: typing into cells, clearing, pasting blocks,
// filtering, with undo and redo. Every change recalculates the workbook and bumps
// revision(), which the save logic compares with the revision it last saved.
//
//   stilaro::Editor ed(workbook, {.today = stilaro::date_serial(2026, 12, 9)});
//   ed.set_input(0, {4, 1}, "82,5");   // B5 = 82.5
//   ed.set_input(0, {5, 1}, "=B5*2");
//   ed.undo();
//
// The Editor holds a reference: the workbook must outlive it and not be replaced.
// Creating it recalculates the workbook, so formula cells show fresh results.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formula.h"
#include "workbook.h"

namespace stilaro {

// How a typed text is stored: number (Italian "1.234,5", "3.5", "50%"), date
// ("9/12/2026", "9/12"), time ("10:30"), boolean (VERO/FALSO, TRUE/FALSE), formula
// ("=..."), text ("'..." forces text). A cell with the text format "@" keeps text.
struct ParsedInput {
  Cell content;                            // value or formula (style not set)
  std::optional<std::string> number_format;  // format the cell should take if it has none
};
ParsedInput parse_input(std::string_view typed, bool cell_is_text_format, double today);

// Cells as copied inside the engine: contents, formulas and looks, row by row
// (nullopt where no cell was). `moved` marks a cut, whose formulas keep their references.
struct CellBlock {
  CellAddress origin;
  std::vector<std::vector<std::optional<Cell>>> cells;
  bool moved = false;
};

class Editor {
 public:
  Editor(Workbook& workbook, RecalcOptions options);

  // Stores what the user typed in one cell. False (and nothing changes) when the text
  // starts with "=" but is no valid formula, or the sheet is a chart sheet.
  bool set_input(std::int32_t sheet, CellAddress at, std::string_view typed);

  // Empties values and formulas in the range; styles stay.
  void clear_range(std::int32_t sheet, const CellRange& range);

  // Pastes tab-separated lines (quoted fields allowed) with `top_left` as the first
  // cell; each field is read like typed input. One undo step. Returns the range filled.
  CellRange paste_tsv(std::int32_t sheet, CellAddress top_left, std::string_view tsv);

  // A copy of the range's cells, and pasting it with `top_left` as its first cell: relative
  // references of copied formulas move with them. One undo step; returns the range filled.
  CellBlock copy_cells(std::int32_t sheet, const CellRange& range) const;
  CellRange paste_cells(std::int32_t sheet, CellAddress top_left, const CellBlock& block);

  // The range as tab-separated lines of the texts shown in the cells.
  std::string copy_tsv(std::int32_t sheet, const CellRange& range) const;

  // What the edit bar shows for a cell: "=" and the formula, or the value in a form
  // that set_input reads back to the same value ("82,5", "09/12/2026", "VERO").
  std::string input_text(std::int32_t sheet, CellAddress at) const;

  // The text shown in a cell (its value through its number format).
  std::string display_text(std::int32_t sheet, CellAddress at) const;

  // Auto-filter of the sheet: the distinct texts of one filter column (sorted, the
  // empty text for blanks), and showing only rows whose text is in `shown`
  // (nullopt shows every row again). False when the sheet has no auto-filter or the
  // column lies outside it.
  std::vector<std::string> filter_values(std::int32_t sheet, std::int32_t col) const;
  bool set_filter(std::int32_t sheet, std::int32_t col,
                  const std::optional<std::vector<std::string>>& shown);

  bool undo();
  bool redo();
  bool can_undo() const { return !undo_.empty(); }
  bool can_redo() const { return !redo_.empty(); }

  // Increases with every change, undo and redo included.
  std::uint64_t revision() const { return revision_; }

  void set_today(double today) { options_.today = today; }
  const RecalcOptions& options() const { return options_; }

 private:
  struct CellChange {
    std::int32_t sheet;
    CellAddress at;
    std::optional<Cell> before;
    std::optional<Cell> after;
  };
  using Step = std::vector<CellChange>;

  void record(Step& step, std::int32_t sheet, CellAddress at, std::optional<Cell> after);
  void apply(const Step& step, bool forward);
  void commit(Step step);
  std::optional<Cell> prepared(std::int32_t sheet, CellAddress at, std::string_view typed,
                               bool& ok);

  Workbook& workbook_;
  RecalcOptions options_;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
  std::uint64_t revision_ = 0;
};

}  // namespace stilaro
