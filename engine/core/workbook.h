// The workbook model: sheets of cells with values, formulas and style indexes, the
// styles, defined names and each sheet's layout (column widths, row heights, hidden
// rows and columns, merges, frozen panes, view settings, auto-filter).
//
// A Workbook comes from read_xlsx (xlsx_reader.h) or new_workbook(); the editor
// (edit.h) changes it and keeps track of what changed, so that write_xlsx
// (xlsx_writer.h) can rewrite only those parts of the original package.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "address.h"
#include "chart.h"
#include "conditional_format.h"
#include "styles.h"
#include "value.h"

namespace stilaro {

struct SourcePackage;  // the original file's entries and parts (opaque, used by the writer)

struct Cell {
  Value value;          // for a formula cell, its last computed result
  std::string formula;  // file syntax without the leading "=", empty when none
  std::uint32_t style = 0;  // index into Styles::cell_formats
  bool has_formula() const { return !formula.empty(); }
};

struct Row {
  std::map<std::int32_t, Cell> cells;  // by column
  double height = 0;                   // points; 0 = the sheet's default
  bool hidden = false;
  std::optional<std::uint32_t> style;  // the row's own format, for new cells in it
};

// Columns min..max (0-based, inclusive) share width and visibility.
struct ColumnSpan {
  std::int32_t min = 0;
  std::int32_t max = 0;
  double width = 0;  // in characters of the default font, as stored; 0 = default
  bool hidden = false;
  std::optional<std::uint32_t> style;
};

struct SheetView {
  bool show_grid_lines = true;
  bool show_headers = true;
  bool right_to_left = false;
  bool tab_selected = false;
  std::int32_t zoom = 100;  // percent
  CellAddress top_left;     // first visible cell of the scrolling part
  std::int32_t frozen_rows = 0;
  std::int32_t frozen_cols = 0;
  CellAddress active_cell;
  CellRange selection;
};

struct FilterColumn {
  std::int32_t col_offset = 0;        // from the filter range's first column
  std::vector<std::string> values;    // shown values (display texts)
  bool blanks = false;                // empty cells shown too
};

struct AutoFilter {
  CellRange range;
  std::vector<FilterColumn> columns;  // only columns with an active filter
};

struct Sheet {
  std::string name;
  bool hidden = false;  // state hidden or veryHidden
  bool chart_sheet = false;  // a sheet holding only a chart: shown empty, never edited
  std::map<std::int32_t, Row> rows;  // by row
  std::vector<ColumnSpan> columns;   // sorted, not overlapping
  std::vector<CellRange> merges;
  SheetView view;
  std::optional<AutoFilter> auto_filter;
  std::vector<ConditionalFormat> conditional_formats;
  std::vector<Chart> charts;
  double default_row_height = 15;     // points
  double default_column_width = 8.43;  // characters

  // Cells whose content or style differ from the file (kept until the workbook is
  // read again) and whether row visibility or the filter changed.
  std::set<std::pair<std::int32_t, std::int32_t>> changed_cells;
  bool rows_changed = false;

  const Cell* cell(CellAddress a) const;
  Cell* cell(CellAddress a);
  Cell& cell_at(CellAddress a);  // created when missing (with the row's style, if any)
  Value value(CellAddress a) const;  // Empty when missing

  double column_width(std::int32_t col) const;  // characters
  bool column_hidden(std::int32_t col) const;
  double row_height(std::int32_t row) const;  // points
  bool row_hidden(std::int32_t row) const;
  const CellRange* merge_at(CellAddress a) const;  // the merge covering a, if any

  // Bottom-right corner of everything written (cells, merges); {0,0} when empty.
  CellAddress used_extent() const;
};

struct DefinedName {
  std::string name;
  std::string formula;          // file syntax without "=", e.g. "'Scheda'!$A$1:$B$4"
  std::int32_t local_sheet = -1;  // sheet index for a sheet-local name, -1 for global
  bool hidden = false;
};

struct Workbook {
  std::vector<Sheet> sheets;
  std::int32_t active_sheet = 0;
  Styles styles;
  std::vector<DefinedName> defined_names;
  bool date1904 = false;
  std::shared_ptr<const SourcePackage> source;  // null for a workbook built from nothing

  std::optional<std::int32_t> sheet_index(std::string_view name) const;  // any case
  const DefinedName* find_name(std::string_view name, std::int32_t sheet) const;
};

// A new workbook with one empty sheet named "Foglio1".
Workbook new_workbook();

}  // namespace stilaro
