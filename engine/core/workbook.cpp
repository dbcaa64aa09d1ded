#include "workbook.h"

#include <algorithm>

namespace stilaro {

namespace {

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

}  // namespace

const Cell* Sheet::cell(CellAddress a) const {
  auto r = rows.find(a.row);
  if (r == rows.end()) return nullptr;
  auto c = r->second.cells.find(a.col);
  return c == r->second.cells.end() ? nullptr : &c->second;
}

Cell* Sheet::cell(CellAddress a) {
  return const_cast<Cell*>(static_cast<const Sheet*>(this)->cell(a));
}

Cell& Sheet::cell_at(CellAddress a) {
  Row& row = rows[a.row];
  auto [it, added] = row.cells.try_emplace(a.col);
  if (added) {
    if (row.style) {
      it->second.style = *row.style;
    } else {
      for (const auto& span : columns)
        if (span.min <= a.col && a.col <= span.max && span.style) it->second.style = *span.style;
    }
  }
  return it->second;
}

Value Sheet::value(CellAddress a) const {
  const Cell* c = cell(a);
  return c ? c->value : Value{};
}

double Sheet::column_width(std::int32_t col) const {
  for (const auto& span : columns)
    if (span.min <= col && col <= span.max && span.width > 0) return span.width;
  return default_column_width;
}

bool Sheet::column_hidden(std::int32_t col) const {
  for (const auto& span : columns)
    if (span.min <= col && col <= span.max) return span.hidden;
  return false;
}

double Sheet::row_height(std::int32_t row) const {
  auto r = rows.find(row);
  return r != rows.end() && r->second.height > 0 ? r->second.height : default_row_height;
}

bool Sheet::row_hidden(std::int32_t row) const {
  auto r = rows.find(row);
  return r != rows.end() && r->second.hidden;
}

const CellRange* Sheet::merge_at(CellAddress a) const {
  for (const auto& m : merges)
    if (m.contains(a)) return &m;
  return nullptr;
}

CellAddress Sheet::used_extent() const {
  CellAddress end{0, 0};
  for (const auto& [r, row] : rows) {
    for (const auto& [c, cell] : row.cells) {
      if (cell.value.is_empty() && !cell.has_formula() && cell.style == 0) continue;
      end.row = std::max(end.row, r);
      end.col = std::max(end.col, c);
    }
  }
  for (const auto& m : merges) {
    end.row = std::max(end.row, m.last.row);
    end.col = std::max(end.col, m.last.col);
  }
  return end;
}

std::optional<std::int32_t> Workbook::sheet_index(std::string_view name) const {
  for (std::size_t i = 0; i < sheets.size(); ++i)
    if (same_name(sheets[i].name, name)) return static_cast<std::int32_t>(i);
  return std::nullopt;
}

const DefinedName* Workbook::find_name(std::string_view name, std::int32_t sheet) const {
  const DefinedName* global = nullptr;
  for (const auto& d : defined_names) {
    if (!same_name(d.name, name)) continue;
    if (d.local_sheet == sheet) return &d;
    if (d.local_sheet < 0) global = &d;
  }
  return global;
}

Workbook new_workbook() {
  Workbook wb;
  Sheet sheet;
  sheet.name = "Foglio1";
  sheet.view.tab_selected = true;
  wb.sheets.push_back(std::move(sheet));
  return wb;
}

}  // namespace stilaro
