// Reading one worksheet part: cells, rows, columns, merges, views and the auto-filter.
#include <algorithm>
#include <map>

#include "formula.h"
#include "reader_parts.h"
#include "xml.h"

namespace stilaro::reader {

namespace {

// "2026-12-09T10:30:00" (a cell of type d) as a serial date.
std::optional<double> iso_date(std::string_view s) {
  auto num = [&](std::size_t at, std::size_t len) -> std::optional<int> {
    if (at + len > s.size()) return std::nullopt;
    auto v = xml::integer(s.substr(at, len));
    return v ? std::optional<int>(static_cast<int>(*v)) : std::nullopt;
  };
  auto y = num(0, 4), m = num(5, 2), d = num(8, 2);
  if (!y || !m || !d) return std::nullopt;
  double serial = date_serial(*y, *m, *d);
  if (s.size() >= 19 && s[10] == 'T') {
    auto hh = num(11, 2), mm = num(14, 2), ss = num(17, 2);
    if (hh && mm && ss) serial += (*hh * 3600 + *mm * 60 + *ss) / 86400.0;
  }
  return serial;
}

struct SharedFormula {
  CellAddress at;
  std::string formula;
};

void read_cell(const pugi::xml_node& c, CellAddress at, const std::vector<std::string>& strings,
               std::map<std::int64_t, SharedFormula>& shared, Cell& cell) {
  auto s = xml::integer(xml::value(xml::attribute(c, "s"))).value_or(0);
  cell.style = s < 0 || s > 0xFFFFFF ? 0 : static_cast<std::uint32_t>(s);
  auto type = xml::value(xml::attribute(c, "t"));
  auto v = xml::child(c, "v");
  std::string vtext = v ? xml::text(v) : std::string();

  if (type == "s") {
    auto i = xml::integer(vtext);
    if (i && *i >= 0 && static_cast<std::size_t>(*i) < strings.size())
      cell.value = Value::of_text(strings[static_cast<std::size_t>(*i)]);
  } else if (type == "str") {
    if (v) cell.value = Value::of_text(vtext);
  } else if (type == "inlineStr") {
    cell.value = Value::of_text(string_item_text(xml::child(c, "is")));
  } else if (type == "b") {
    if (v) cell.value = Value::of_bool(vtext == "1" || vtext == "true");
  } else if (type == "e") {
    ErrorCode e;
    if (v) cell.value = Value::of_error(parse_error_text(vtext, e) ? e : ErrorCode::Value);
  } else if (type == "d") {
    if (auto d = iso_date(vtext)) cell.value = Value::of_number(*d);
  } else if (v) {
    if (auto n = xml::number(vtext)) cell.value = Value::of_number(*n);
  }

  auto f = xml::child(c, "f");
  if (!f) return;
  std::string text = xml::text(f);
  if (xml::value(xml::attribute(f, "t")) == "shared") {
    auto si = xml::integer(xml::value(xml::attribute(f, "si")));
    if (!si) return;
    if (!text.empty()) {
      shared[*si] = {at, text};
    } else if (auto it = shared.find(*si); it != shared.end()) {
      text = shift_formula(it->second.formula, at.row - it->second.at.row, at.col - it->second.at.col);
    }
  }
  cell.formula = std::move(text);
}

void read_view(const pugi::xml_node& v, SheetView& view) {
  view.show_grid_lines = xml::boolean(xml::attribute(v, "showGridLines"), true);
  view.show_headers = xml::boolean(xml::attribute(v, "showRowColHeaders"), true);
  view.right_to_left = xml::boolean(xml::attribute(v, "rightToLeft"), false);
  view.tab_selected = xml::boolean(xml::attribute(v, "tabSelected"), false);
  auto zoom = xml::integer(xml::value(xml::attribute(v, "zoomScale"))).value_or(100);
  view.zoom = static_cast<std::int32_t>(std::clamp<std::int64_t>(zoom == 0 ? 100 : zoom, 10, 400));
  if (auto tl = parse_address(xml::value(xml::attribute(v, "topLeftCell")))) view.top_left = *tl;
  if (auto pane = xml::child(v, "pane")) {
    auto state = xml::value(xml::attribute(pane, "state"));
    if (state == "frozen" || state == "frozenSplit") {
      auto split = [&](std::string_view name) {
        auto n = xml::number(xml::value(xml::attribute(pane, name))).value_or(0);
        return static_cast<std::int32_t>(std::clamp(n, 0.0, 1e6));
      };
      view.frozen_cols = split("xSplit");
      view.frozen_rows = split("ySplit");
      // The scrolling part starts at the pane's own top-left cell.
      if (auto tl = parse_address(xml::value(xml::attribute(pane, "topLeftCell")))) {
        view.top_left = {std::max(tl->row, view.top_left.row), std::max(tl->col, view.top_left.col)};
      }
    }
  }
  // With panes there are several selections; the one of the active pane counts.
  auto active_pane = xml::value(xml::attribute(xml::child(v, "pane"), "activePane"));
  pugi::xml_node chosen;
  for (auto s : xml::children(v, "selection")) {
    auto pane = xml::value(xml::attribute(s, "pane"));
    if (!chosen || pane == active_pane) chosen = s;
  }
  if (chosen) {
    if (auto a = parse_address(xml::value(xml::attribute(chosen, "activeCell")))) view.active_cell = *a;
    std::string_view sqref = xml::value(xml::attribute(chosen, "sqref"));
    sqref = sqref.substr(0, sqref.find(' '));
    if (auto r = parse_range(sqref)) view.selection = *r;
    else view.selection = {view.active_cell, view.active_cell};
  }
}

void read_filter(const pugi::xml_node& af, Sheet& sheet) {
  auto range = parse_range(xml::value(xml::attribute(af, "ref")));
  if (!range) return;
  AutoFilter filter;
  filter.range = *range;
  for (auto fc : xml::children(af, "filterColumn")) {
    auto filters = xml::child(fc, "filters");
    if (!filters) continue;  // custom and top-10 filters are kept in the file, not applied
    FilterColumn col;
    col.col_offset = static_cast<std::int32_t>(xml::integer(xml::value(xml::attribute(fc, "colId"))).value_or(0));
    col.blanks = xml::boolean(xml::attribute(filters, "blank"), false);
    for (auto f : xml::children(filters, "filter")) col.values.emplace_back(xml::value(xml::attribute(f, "val")));
    filter.columns.push_back(std::move(col));
  }
  sheet.auto_filter = std::move(filter);
}

}  // namespace

void read_sheet(const pugi::xml_node& ws, const std::vector<std::string>& strings, Sheet& sheet) {
  sheet.chart_sheet = xml::local_name(ws) == "chartsheet";
  if (auto fmt = xml::child(ws, "sheetFormatPr")) {
    if (auto h = xml::number(xml::value(xml::attribute(fmt, "defaultRowHeight"))); h && *h > 0 && *h < 410)
      sheet.default_row_height = *h;
    if (auto w = xml::number(xml::value(xml::attribute(fmt, "defaultColWidth"))); w && *w > 0 && *w < 256)
      sheet.default_column_width = *w;
    else if (auto b = xml::number(xml::value(xml::attribute(fmt, "baseColWidth"))); b && *b > 0 && *b < 256)
      sheet.default_column_width = *b + 0.71;
  }

  for (auto col : xml::children(xml::child(ws, "cols"), "col")) {
    auto lo = xml::integer(xml::value(xml::attribute(col, "min"))).value_or(0);
    auto hi = xml::integer(xml::value(xml::attribute(col, "max"))).value_or(lo);
    if (lo < 1 || hi < lo || lo > kMaxColumns) continue;
    ColumnSpan span;
    span.min = static_cast<std::int32_t>(lo - 1);
    span.max = static_cast<std::int32_t>(std::min<std::int64_t>(hi, kMaxColumns) - 1);
    span.width = std::clamp(xml::number(xml::value(xml::attribute(col, "width"))).value_or(0), 0.0, 255.0);
    span.hidden = xml::boolean(xml::attribute(col, "hidden"), false);
    if (auto s = xml::integer(xml::value(xml::attribute(col, "style"))); s && *s > 0)
      span.style = static_cast<std::uint32_t>(std::min<std::int64_t>(*s, 0xFFFFFF));
    if (sheet.columns.empty() || sheet.columns.back().max < span.min) sheet.columns.push_back(span);
  }

  std::map<std::int64_t, SharedFormula> shared;
  std::int32_t next_row = 0;
  for (auto r : xml::children(xml::child(ws, "sheetData"), "row")) {
    std::int32_t row_index = next_row;
    if (auto n = xml::integer(xml::value(xml::attribute(r, "r"))); n && *n >= 1 && *n <= kMaxRows)
      row_index = static_cast<std::int32_t>(*n - 1);
    if (row_index >= kMaxRows) break;
    next_row = row_index + 1;
    Row& row = sheet.rows[row_index];
    if (auto ht = xml::number(xml::value(xml::attribute(r, "ht"))); ht && *ht >= 0 && *ht < 410) row.height = *ht;
    row.hidden = xml::boolean(xml::attribute(r, "hidden"), false);
    if (xml::boolean(xml::attribute(r, "customFormat"), false))
      if (auto s = xml::integer(xml::value(xml::attribute(r, "s"))); s && *s >= 0)
        row.style = static_cast<std::uint32_t>(std::min<std::int64_t>(*s, 0xFFFFFF));

    std::int32_t next_col = 0;
    for (auto c : xml::children(r, "c")) {
      CellAddress at{row_index, next_col};
      if (auto a = parse_address(xml::value(xml::attribute(c, "r")))) at.col = a->col;
      if (at.col >= kMaxColumns) break;
      next_col = at.col + 1;
      read_cell(c, at, strings, shared, row.cells[at.col]);
    }
  }

  for (auto m : xml::children(xml::child(ws, "mergeCells"), "mergeCell"))
    if (auto range = parse_range(xml::value(xml::attribute(m, "ref"))); range && range->first != range->last)
      sheet.merges.push_back(*range);

  if (auto v = xml::child(xml::child(ws, "sheetViews"), "sheetView")) read_view(v, sheet.view);
  if (auto af = xml::child(ws, "autoFilter")) read_filter(af, sheet);
}

}  // namespace stilaro::reader
