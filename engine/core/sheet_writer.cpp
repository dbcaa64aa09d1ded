// Writing a changed worksheet: the original XML is edited in place, cell by cell, so
// every element the model does not know stays as the file had it.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

#include "formula.h"
#include "writer_parts.h"
#include "xml.h"

namespace stilaro::writer {

namespace {

struct CellNode {
  pugi::xml_node node;
  CellAddress at;
  bool has_formula = false;
  std::string formula;  // as the reader understood it (shared formulas expanded)
};

struct Index {
  std::map<std::int32_t, pugi::xml_node> rows;
  std::map<std::pair<std::int32_t, std::int32_t>, CellNode> cells;
};

Index index_sheet(pugi::xml_node sheet_data) {
  Index ix;
  std::map<std::int64_t, std::pair<CellAddress, std::string>> shared;
  std::int32_t next_row = 0;
  for (auto r : xml::children(sheet_data, "row")) {
    std::int32_t row = next_row;
    if (auto n = xml::integer(xml::value(xml::attribute(r, "r"))); n && *n >= 1 && *n <= kMaxRows)
      row = static_cast<std::int32_t>(*n - 1);
    next_row = row + 1;
    ix.rows.emplace(row, r);
    std::int32_t next_col = 0;
    for (auto c : xml::children(r, "c")) {
      CellAddress at{row, next_col};
      if (auto a = parse_address(xml::value(xml::attribute(c, "r")))) at.col = a->col;
      next_col = at.col + 1;
      CellNode cn{c, at, false, {}};
      if (auto f = xml::child(c, "f")) {
        cn.has_formula = true;
        cn.formula = xml::text(f);
        if (xml::value(xml::attribute(f, "t")) == "shared") {
          auto si = xml::integer(xml::value(xml::attribute(f, "si")));
          if (si && !cn.formula.empty()) shared[*si] = {at, cn.formula};
          else if (si && shared.count(*si))
            cn.formula = shift_formula(shared[*si].second, at.row - shared[*si].first.row, at.col - shared[*si].first.col);
        }
      }
      ix.cells.emplace(std::pair{at.row, at.col}, std::move(cn));
    }
  }
  return ix;
}

// Elements that follow sheetData in a worksheet, for placing a missing one.
constexpr std::string_view kAfterSheetData[] = {
    "sheetCalcPr", "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState",
    "dataConsolidate", "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting",
    "dataValidations", "hyperlinks", "printOptions", "pageMargins", "pageSetup", "headerFooter",
    "rowBreaks", "colBreaks", "customProperties", "cellWatches", "ignoredErrors", "smartTags",
    "drawing", "legacyDrawing", "legacyDrawingHF", "picture", "oleObjects", "controls",
    "webPublishItems", "tableParts", "extLst"};

pugi::xml_node sheet_data_of(pugi::xml_node ws) {
  if (auto sd = xml::child(ws, "sheetData")) return sd;
  for (auto c = ws.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    auto name = xml::local_name(c);
    for (auto after : kAfterSheetData)
      if (name == after) return xml::insert_before(ws, "sheetData", c);
  }
  return xml::append(ws, "sheetData");
}

pugi::xml_node row_node(Index& ix, pugi::xml_node sheet_data, std::int32_t row) {
  if (auto it = ix.rows.find(row); it != ix.rows.end()) return it->second;
  auto after = ix.rows.upper_bound(row);
  auto node = after == ix.rows.end() ? xml::append(sheet_data, "row") : xml::insert_before(sheet_data, "row", after->second);
  node.append_attribute("r") = row + 1;
  ix.rows.emplace(row, node);
  return node;
}

pugi::xml_node cell_node(Index& ix, pugi::xml_node row, CellAddress at) {
  if (auto it = ix.cells.find({at.row, at.col}); it != ix.cells.end()) return it->second.node;
  pugi::xml_node before;
  auto next = ix.cells.upper_bound({at.row, at.col});
  if (next != ix.cells.end() && next->first.first == at.row) before = next->second.node;
  auto node = before ? xml::insert_before(row, "c", before) : xml::append(row, "c");
  node.append_attribute("r") = format_address(at).c_str();
  // The row's column span hint would no longer hold.
  row.remove_attribute("spans");
  ix.cells.emplace(std::pair{at.row, at.col}, CellNode{node, at, false, {}});
  return node;
}

// The shortest text that reads back as the same number; whole numbers in digits
// (200000, not 2e+05), as spreadsheet programs write them.
std::string number_text(double x) {
  char buf[32];
  const bool whole = x == std::trunc(x) && std::abs(x) < 1e15;
  auto [p, ec] = whole ? std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed) : std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, p);
}

void set_attr(pugi::xml_node n, const char* name, const char* value) {
  auto a = n.attribute(name);
  if (!a) a = n.append_attribute(name);
  a.set_value(value);
}

void remove_children(pugi::xml_node n, std::string_view local) {
  while (auto c = xml::child(n, local)) n.remove_child(c);
}

// Rewrites one cell element from the model.
void write_cell(pugi::xml_node c, const CellNode& original, const Cell& cell, std::size_t style_count,
                StringTable& strings, std::set<std::int64_t>& orphaned) {
  std::uint32_t style = cell.style < style_count ? cell.style : 0;
  if (style != 0) set_attr(c, "s", std::to_string(style).c_str());
  else c.remove_attribute("s");

  auto old_f = xml::child(c, "f");
  bool keep_f = old_f && cell.has_formula() && original.formula == cell.formula;
  if (old_f && !keep_f) {
    // A shared formula's first cell carries the text its group depends on.
    if (xml::value(xml::attribute(old_f, "t")) == "shared" && !xml::text(old_f).empty())
      if (auto si = xml::integer(xml::value(xml::attribute(old_f, "si")))) orphaned.insert(*si);
    c.remove_child(old_f);
  }
  if (!keep_f) {
    // Metadata of a dynamic array or rich value belonged to the old content.
    c.remove_attribute("cm");
    c.remove_attribute("vm");
  }
  remove_children(c, "v");
  remove_children(c, "is");
  c.remove_attribute("t");

  pugi::xml_node f = keep_f ? old_f : pugi::xml_node();
  if (cell.has_formula() && !keep_f) {
    f = c.first_child() ? xml::insert_before(c, "f", c.first_child()) : xml::append(c, "f");
    f.append_child(pugi::node_pcdata).set_value(cell.formula.c_str());
  }
  auto add_value = [&](const std::string& text) {
    pugi::xml_node v = f                 ? xml::insert_after(c, "v", f)
                       : c.first_child() ? xml::insert_before(c, "v", c.first_child())
                                         : xml::append(c, "v");
    v.append_child(pugi::node_pcdata).set_value(text.c_str());
  };

  const Value& v = cell.value;
  switch (v.type) {
    case Value::Type::Empty: break;
    case Value::Type::Number: add_value(number_text(v.number)); break;
    case Value::Type::Boolean: set_attr(c, "t", "b"); add_value(v.number != 0 ? "1" : "0"); break;
    case Value::Type::Error: set_attr(c, "t", "e"); add_value(std::string(error_text(v.error))); break;
    case Value::Type::Text:
      if (cell.has_formula()) {
        set_attr(c, "t", "str");
        add_value(v.text);
      } else if (strings.has_part()) {
        set_attr(c, "t", "s");
        add_value(std::to_string(strings.index(v.text)));
      } else {
        set_attr(c, "t", "inlineStr");
        auto is = c.first_child() ? xml::insert_before(c, "is", c.first_child()) : xml::append(c, "is");
        set_text(xml::append(is, "t"), v.text);
      }
      break;
  }
}

void write_filter(pugi::xml_node ws, const Sheet& sheet) {
  auto af = xml::child(ws, "autoFilter");
  if (!af || !sheet.auto_filter) return;
  std::set<std::int32_t> modelled;
  for (const auto& fc : sheet.auto_filter->columns) modelled.insert(fc.col_offset);
  for (auto fc = xml::child(af, "filterColumn"); fc;) {
    auto next = xml::next(fc, "filterColumn");
    auto col = xml::integer(xml::value(xml::attribute(fc, "colId"))).value_or(-1);
    if (xml::child(fc, "filters") || modelled.count(static_cast<std::int32_t>(col))) af.remove_child(fc);
    fc = next;
  }
  pugi::xml_node before;
  for (auto c = af.first_child(); c && !before; c = c.next_sibling())
    if (c.type() == pugi::node_element && xml::local_name(c) != "filterColumn") before = c;
  for (const auto& col : sheet.auto_filter->columns) {
    auto fc = before ? xml::insert_before(af, "filterColumn", before) : xml::append(af, "filterColumn");
    fc.append_attribute("colId") = col.col_offset;
    auto filters = xml::append(fc, "filters");
    if (col.blanks) filters.append_attribute("blank") = 1;
    for (const auto& v : col.values) xml::append(filters, "filter").append_attribute("val") = v.c_str();
  }
}

void write_dimension(pugi::xml_node ws, const Sheet& sheet) {
  auto dim = xml::child(ws, "dimension");
  if (!dim) return;
  CellRange r{{0, 0}, sheet.used_extent()};
  std::string_view ref = xml::value(xml::attribute(dim, "ref"));
  if (auto old = parse_range(ref)) {
    r.first = {std::min(old->first.row, r.last.row), std::min(old->first.col, r.last.col)};
    r.last = {std::max(old->last.row, r.last.row), std::max(old->last.col, r.last.col)};
  }
  set_attr(dim, "ref", format_range(r).c_str());
}

}  // namespace

SheetResult write_sheet(pugi::xml_document& doc, const Sheet& sheet, std::size_t style_count,
                        StringTable& strings) {
  SheetResult result;
  auto ws = doc.document_element();
  auto sheet_data = sheet_data_of(ws);
  Index ix = index_sheet(sheet_data);
  std::set<std::int64_t> orphaned;

  for (const auto& [row, col] : sheet.changed_cells) {
    CellAddress at{row, col};
    const Cell* cell = sheet.cell(at);
    auto existing = ix.cells.find({row, col});
    bool had_formula = existing != ix.cells.end() && existing->second.has_formula;
    if (had_formula != (cell && cell->has_formula())) result.formulas_changed = true;
    if (!cell) {
      if (existing != ix.cells.end()) {
        auto f = xml::child(existing->second.node, "f");
        if (f && xml::value(xml::attribute(f, "t")) == "shared" && !xml::text(f).empty())
          if (auto si = xml::integer(xml::value(xml::attribute(f, "si")))) orphaned.insert(*si);
        existing->second.node.parent().remove_child(existing->second.node);
        ix.cells.erase(existing);
      }
      continue;
    }
    auto r = row_node(ix, sheet_data, row);
    auto c = cell_node(ix, r, at);
    write_cell(c, ix.cells.at({row, col}), *cell, style_count, strings, orphaned);
  }

  // Cells whose shared formula lost its first cell get their own formula text.
  if (!orphaned.empty()) {
    for (auto& [key, cn] : ix.cells) {
      auto f = xml::child(cn.node, "f");
      if (!f || xml::value(xml::attribute(f, "t")) != "shared") continue;
      auto si = xml::integer(xml::value(xml::attribute(f, "si")));
      if (!si || !orphaned.count(*si)) continue;
      const Cell* cell = sheet.cell(cn.at);
      if (!cell || !cell->has_formula()) continue;
      f.remove_attribute("t");
      f.remove_attribute("si");
      f.remove_attribute("ref");
      while (f.first_child()) f.remove_child(f.first_child());
      f.append_child(pugi::node_pcdata).set_value(cell->formula.c_str());
    }
  }

  if (sheet.rows_changed) {
    for (const auto& [r, row] : sheet.rows) {
      auto it = ix.rows.find(r);
      if (row.hidden) {
        set_attr(row_node(ix, sheet_data, r), "hidden", "1");
      } else if (it != ix.rows.end()) {
        it->second.remove_attribute("hidden");
      }
    }
    write_filter(ws, sheet);
  }
  write_dimension(ws, sheet);
  return result;
}

}  // namespace stilaro::writer
