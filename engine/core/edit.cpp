#include "edit.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "number_format.h"

namespace stilaro {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c -= 32;
  return out;
}

// "1.234,5", "3,5", "3.5", "1.500" (thousands), "-2", "1e3" -> number.
std::optional<double> read_number(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  std::string plain;
  auto comma = s.find(',');
  if (comma != std::string_view::npos) {
    // Comma decimal; dots before it must group thousands.
    std::string_view whole = s.substr(0, comma), frac = s.substr(comma + 1);
    if (!all_digits(frac) || frac.find(',') != std::string_view::npos) return std::nullopt;
    std::size_t start = 0;
    bool first = true;
    for (;;) {
      auto dot = whole.find('.', start);
      auto group = whole.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
      if (!all_digits(group) && !(first && group.empty() && dot == std::string_view::npos)) return std::nullopt;
      if (!first && group.size() != 3) return std::nullopt;
      if (first && whole.find('.') != std::string_view::npos && group.size() > 3) return std::nullopt;
      plain += group;
      first = false;
      if (dot == std::string_view::npos) break;
      start = dot + 1;
    }
    plain += ".";
    plain += frac;
  } else {
    auto dots = std::count(s.begin(), s.end(), '.');
    if (dots > 1 || (dots == 1 && s.size() - s.find('.') == 4 && s.find('.') > 0 && s.find('.') <= 3 &&
                     all_digits(s.substr(0, s.find('.'))))) {
      // Only dots, each followed by three digits: thousands ("1.500", "1.234.567").
      std::size_t start = 0;
      bool first = true;
      for (;;) {
        auto dot = s.find('.', start);
        auto group = s.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (!all_digits(group) || (!first && group.size() != 3) || (first && group.size() > 3)) return std::nullopt;
        plain += group;
        first = false;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
      }
    } else {
      plain = s;
      char f = plain.front();
      if (!(f >= '0' && f <= '9') && f != '.') return std::nullopt;
    }
  }
  double v = 0;
  auto [p, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), v);
  if (ec != std::errc() || p != plain.data() + plain.size() || !std::isfinite(v)) return std::nullopt;
  return negative ? -v : v;
}

// "9/12/2026", "9-12-26", "9/12" (this year) -> serial day.
std::optional<double> read_date(std::string_view s, double today) {
  char sep = s.find('/') != std::string_view::npos ? '/' : '-';
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    auto p = s.find(sep, start);
    parts.push_back(s.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start));
    if (p == std::string_view::npos) break;
    start = p + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  int v[3] = {0, 0, 0};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!all_digits(parts[i]) || parts[i].size() > 4) return std::nullopt;
    std::from_chars(parts[i].data(), parts[i].data() + parts[i].size(), v[i]);
  }
  int year;
  if (parts.size() == 3) {
    year = v[2];
    if (parts[2].size() <= 2) year += year < 30 ? 2000 : 1900;
    else if (parts[2].size() != 4) return std::nullopt;
  } else {
    int m, d;
    if (!serial_to_date(today, year, m, d)) return std::nullopt;
  }
  int day = v[0], month = v[1];
  if (month < 1 || month > 12 || day < 1 || year < 1900 || year > 9999) return std::nullopt;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] || (month == 2 && day == 29 && !leap)) return std::nullopt;
  return date_serial(year, month, day);
}

// "10:30" or "10:30:15" -> fraction of a day; `seconds` tells whether they were given.
std::optional<double> read_time(std::string_view s, bool& seconds) {
  int v[3] = {0, 0, 0};
  std::size_t n = 0, start = 0;
  for (;;) {
    auto p = s.find(':', start);
    auto part = s.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start);
    if (n >= 3 || !all_digits(part) || part.size() > 2) return std::nullopt;
    std::from_chars(part.data(), part.data() + part.size(), v[n++]);
    if (p == std::string_view::npos) break;
    start = p + 1;
  }
  if (n < 2 || v[0] > 23 || v[1] > 59 || v[2] > 59) return std::nullopt;
  seconds = n == 3;
  return (v[0] * 3600 + v[1] * 60 + v[2]) / 86400.0;
}

// Fifteen significant digits, as spreadsheets show numbers for editing (0.1+0.2 is 0,3).
std::string number_text(double x) {
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  std::string out(buf, p);
  std::replace(out.begin(), out.end(), '.', ',');
  return out;
}

std::string two(int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

}  // namespace

ParsedInput parse_input(std::string_view typed, bool text_format, double today) {
  ParsedInput out;
  if (typed.empty()) return out;
  if (text_format) {
    out.content.value = Value::of_text(std::string(fit_cell_text(typed)));
    return out;
  }
  if (typed.front() == '\'') {
    if (typed.size() > 1) out.content.value = Value::of_text(std::string(fit_cell_text(typed.substr(1))));
    return out;
  }
  if (typed.front() == '=' && typed.size() > 1) {
    out.content.formula = formula_from_input(typed.substr(1));
    return out;
  }
  std::string_view t = trim(typed);
  if (t.empty()) return out;
  std::string up = upper(t);
  if (up == "VERO" || up == "TRUE" || up == "FALSO" || up == "FALSE") {
    out.content.value = Value::of_bool(up == "VERO" || up == "TRUE");
    return out;
  }
  if (t.back() == '%') {
    if (auto n = read_number(trim(t.substr(0, t.size() - 1)))) {
      out.content.value = Value::of_number(*n / 100);
      out.number_format = t.find_first_of(",.") != std::string_view::npos ? "0.00%" : "0%";
      return out;
    }
  }
  if (auto n = read_number(t)) {
    out.content.value = Value::of_number(*n);
    return out;
  }
  bool seconds = false;
  auto space = t.find(' ');
  if (space != std::string_view::npos) {
    auto d = read_date(t.substr(0, space), today);
    auto tm = read_time(trim(t.substr(space + 1)), seconds);
    if (d && tm) {
      out.content.value = Value::of_number(*d + *tm);
      out.number_format = seconds ? "dd/mm/yyyy h:mm:ss" : "dd/mm/yyyy h:mm";
      return out;
    }
  } else if (auto d = read_date(t, today)) {
    out.content.value = Value::of_number(*d);
    out.number_format = "dd/mm/yyyy";
    return out;
  } else if (auto tm = read_time(t, seconds)) {
    out.content.value = Value::of_number(*tm);
    out.number_format = seconds ? "h:mm:ss" : "h:mm";
    return out;
  }
  // Longer text is cut where a cell ends, as a member would see it typed.
  out.content.value = Value::of_text(std::string(fit_cell_text(typed)));
  return out;
}

Editor::Editor(Workbook& workbook, RecalcOptions options) : workbook_(workbook), options_(options) {
  // Cached results in files may be stale or missing (some writers leave them out).
  recalculate(workbook_, options_);
}

std::optional<Cell> Editor::prepared(std::int32_t sheet, CellAddress at, std::string_view typed, bool& ok) {
  Sheet& s = workbook_.sheets[static_cast<std::size_t>(sheet)];
  if (s.chart_sheet) {
    ok = false;
    return std::nullopt;
  }
  std::uint32_t style = 0;
  if (const Cell* c = s.cell(at)) {
    style = c->style;
  } else if (auto r = s.rows.find(at.row); r != s.rows.end() && r->second.style) {
    style = *r->second.style;
  } else {
    for (const auto& span : s.columns)
      if (span.min <= at.col && at.col <= span.max && span.style) style = *span.style;
  }
  auto& styles = workbook_.styles;
  ParsedInput in = parse_input(typed, format_is_text(styles.number_format_of(style)), options_.today);
  ok = !in.content.has_formula() || formula_is_valid(in.content.formula);
  if (!ok) return std::nullopt;
  if (in.number_format && styles.cell_format(style).number_format == 0)
    style = styles.with_number_format(style, *in.number_format);
  // Text written on several lines (Alt+Enter) is shown on several lines.
  if (in.content.value.is_text() && in.content.value.text.find('\n') != std::string::npos)
    style = styles.with_wrap(style);
  in.content.style = style;
  // An empty cell without a look of its own needs no element at all.
  if (in.content.value.is_empty() && !in.content.has_formula() && style == 0) return std::nullopt;
  return in.content;
}

void Editor::record(Step& step, std::int32_t sheet, CellAddress at, std::optional<Cell> after) {
  const Cell* now = workbook_.sheets[static_cast<std::size_t>(sheet)].cell(at);
  std::optional<Cell> before = now ? std::optional<Cell>(*now) : std::nullopt;
  if (!before && !after) return;
  if (before && after && before->formula == after->formula && before->value == after->value &&
      before->style == after->style)
    return;
  step.push_back({sheet, at, std::move(before), std::move(after)});
}

void Editor::apply(const Step& step, bool forward) {
  for (const auto& change : step) {
    Sheet& s = workbook_.sheets[static_cast<std::size_t>(change.sheet)];
    const auto& target = forward ? change.after : change.before;
    if (target) {
      s.rows[change.at.row].cells[change.at.col] = *target;
    } else if (auto r = s.rows.find(change.at.row); r != s.rows.end()) {
      r->second.cells.erase(change.at.col);
    }
    s.changed_cells.insert({change.at.row, change.at.col});
  }
  recalculate(workbook_, options_);
  ++revision_;
}

void Editor::commit(Step step) {
  if (step.empty()) return;
  apply(step, true);
  undo_.push_back(std::move(step));
  redo_.clear();
}

bool Editor::set_input(std::int32_t sheet, CellAddress at, std::string_view typed) {
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return false;
  bool ok = true;
  auto cell = prepared(sheet, at, typed, ok);
  if (!ok) return false;
  Step step;
  record(step, sheet, at, std::move(cell));
  commit(std::move(step));
  return true;
}

void Editor::clear_range(std::int32_t sheet, const CellRange& range) {
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return;
  Sheet& s = workbook_.sheets[static_cast<std::size_t>(sheet)];
  if (s.chart_sheet) return;
  Step step;
  for (auto r = s.rows.lower_bound(range.first.row); r != s.rows.end() && r->first <= range.last.row; ++r) {
    for (auto c = r->second.cells.lower_bound(range.first.col);
         c != r->second.cells.end() && c->first <= range.last.col; ++c) {
      std::optional<Cell> after;
      if (c->second.style != 0) {
        after = Cell{};
        after->style = c->second.style;
      }
      record(step, sheet, {r->first, c->first}, std::move(after));
    }
  }
  commit(std::move(step));
}

CellRange Editor::paste_tsv(std::int32_t sheet, CellAddress top_left, std::string_view tsv) {
  CellRange filled{top_left, top_left};
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return filled;
  // Fields in rows; quoted fields may hold tabs, newlines and doubled quotes.
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false, at_field_start = true;
  for (std::size_t i = 0; i < tsv.size(); ++i) {
    char c = tsv[i];
    if (quoted) {
      if (c == '"' && i + 1 < tsv.size() && tsv[i + 1] == '"') field.push_back('"'), ++i;
      else if (c == '"') quoted = false;
      else field.push_back(c);
      continue;
    }
    if (c == '"' && at_field_start) {
      quoted = true;
      at_field_start = false;
      continue;
    }
    at_field_start = false;
    if (c == '\t') {
      rows.back().push_back(std::move(field));
      field.clear();
      at_field_start = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < tsv.size() && tsv[i + 1] == '\n') ++i;
      rows.back().push_back(std::move(field));
      field.clear();
      rows.emplace_back();
      at_field_start = true;
    } else {
      field.push_back(c);
    }
  }
  if (!field.empty() || !at_field_start || rows.back().size() > 0) rows.back().push_back(std::move(field));
  if (rows.back().empty()) rows.pop_back();

  Step step;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      CellAddress at{top_left.row + static_cast<std::int32_t>(r), top_left.col + static_cast<std::int32_t>(c)};
      if (at.row >= kMaxRows || at.col >= kMaxColumns) continue;
      bool ok = true;
      auto cell = prepared(sheet, at, rows[r][c], ok);
      // A field that looks like a formula but is none is pasted as text.
      if (!ok) cell = prepared(sheet, at, "'" + rows[r][c], ok);
      if (!ok) continue;
      record(step, sheet, at, std::move(cell));
      filled.last.row = std::max(filled.last.row, at.row);
      filled.last.col = std::max(filled.last.col, at.col);
    }
  }
  commit(std::move(step));
  return filled;
}

CellBlock Editor::copy_cells(std::int32_t sheet, const CellRange& range) const {
  CellBlock block{range.first, {}, false};
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return block;
  const Sheet& s = workbook_.sheets[static_cast<std::size_t>(sheet)];
  block.cells.resize(static_cast<std::size_t>(range.rows()));
  for (std::int32_t r = 0; r < range.rows(); ++r) {
    auto& row = block.cells[static_cast<std::size_t>(r)];
    row.resize(static_cast<std::size_t>(range.cols()));
    for (std::int32_t c = 0; c < range.cols(); ++c)
      if (const Cell* cell = s.cell({range.first.row + r, range.first.col + c})) row[static_cast<std::size_t>(c)] = *cell;
  }
  return block;
}

CellRange Editor::paste_cells(std::int32_t sheet, CellAddress top_left, const CellBlock& block) {
  CellRange filled{top_left, top_left};
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return filled;
  const Sheet& s = workbook_.sheets[static_cast<std::size_t>(sheet)];
  if (s.chart_sheet) return filled;
  const std::int32_t drow = block.moved ? 0 : top_left.row - block.origin.row;
  const std::int32_t dcol = block.moved ? 0 : top_left.col - block.origin.col;
  Step step;
  for (std::size_t r = 0; r < block.cells.size(); ++r) {
    for (std::size_t c = 0; c < block.cells[r].size(); ++c) {
      const CellAddress at{top_left.row + static_cast<std::int32_t>(r), top_left.col + static_cast<std::int32_t>(c)};
      if (at.row >= kMaxRows || at.col >= kMaxColumns) continue;
      std::optional<Cell> cell = block.cells[r][c];
      if (cell && cell->has_formula()) cell->formula = shift_formula(cell->formula, drow, dcol);
      // Where nothing was copied, the target is emptied but keeps its look.
      if (!cell)
        if (const Cell* now = s.cell(at); now && now->style != 0) cell = Cell{{}, {}, now->style};
      record(step, sheet, at, std::move(cell));
      filled.last = {std::max(filled.last.row, at.row), std::max(filled.last.col, at.col)};
    }
  }
  commit(std::move(step));
  return filled;
}

std::string Editor::copy_tsv(std::int32_t sheet, const CellRange& whole) const {
  std::string out;
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return out;
  // Whole rows, columns or the whole sheet stop at the last written cell.
  CellAddress end = workbook_.sheets[static_cast<std::size_t>(sheet)].used_extent();
  CellRange range = whole;
  range.last = {std::min(range.last.row, std::max(end.row, range.first.row)),
                std::min(range.last.col, std::max(end.col, range.first.col))};
  for (std::int32_t r = range.first.row; r <= range.last.row; ++r) {
    for (std::int32_t c = range.first.col; c <= range.last.col; ++c) {
      std::string text = display_text(sheet, {r, c});
      if (text.find_first_of("\t\n\r\"") != std::string::npos) {
        std::string q = "\"";
        for (char ch : text) {
          if (ch == '"') q.push_back('"');
          q.push_back(ch);
        }
        text = q + "\"";
      }
      out += text;
      if (c < range.last.col) out.push_back('\t');
    }
    out += "\r\n";
  }
  return out;
}

std::string Editor::input_text(std::int32_t sheet, CellAddress at) const {
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return {};
  const Cell* cell = workbook_.sheets[static_cast<std::size_t>(sheet)].cell(at);
  if (!cell) return {};
  if (cell->has_formula()) return "=" + cell->formula;
  const Value& v = cell->value;
  auto code = workbook_.styles.number_format_of(cell->style);
  switch (v.type) {
    case Value::Type::Empty: return {};
    case Value::Type::Boolean: return v.number != 0 ? "VERO" : "FALSO";
    case Value::Type::Error: return std::string(error_text(v.error));
    case Value::Type::Text: {
      if (format_is_text(code)) return v.text;
      // Texts that would read back as something else keep their apostrophe.
      ParsedInput again = parse_input(v.text, false, options_.today);
      bool same = again.content.value == v && !again.content.has_formula();
      return same ? v.text : "'" + v.text;
    }
    case Value::Type::Number: break;
  }
  double x = v.number;
  if (format_is_date(code)) {
    double serial = workbook_.date1904 ? x + 1462 : x;
    int y, m, d;
    double day = std::floor(serial);
    auto secs = static_cast<long long>(std::llround((serial - day) * 86400));
    std::string time = std::to_string(secs / 3600) + ":" + two(static_cast<int>(secs / 60 % 60));
    if (secs % 60) time += ":" + two(static_cast<int>(secs % 60));
    if (day == 0 || !serial_to_date(day, y, m, d)) return time;
    std::string date = two(d) + "/" + two(m) + "/" + std::to_string(y);
    return secs ? date + " " + time : date;
  }
  if (code.find('%') != std::string_view::npos) return number_text(x * 100) + "%";
  return number_text(x);
}

std::string Editor::display_text(std::int32_t sheet, CellAddress at) const {
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return {};
  const Cell* cell = workbook_.sheets[static_cast<std::size_t>(sheet)].cell(at);
  if (!cell) return {};
  return format_value(cell->value, workbook_.styles.number_format_of(cell->style), workbook_.date1904).text;
}

std::vector<std::string> Editor::filter_values(std::int32_t sheet, std::int32_t col) const {
  std::vector<std::string> out;
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return out;
  const Sheet& s = workbook_.sheets[static_cast<std::size_t>(sheet)];
  if (!s.auto_filter || col < s.auto_filter->range.first.col || col > s.auto_filter->range.last.col) return out;
  const CellRange& r = s.auto_filter->range;
  for (std::int32_t row = r.first.row + 1; row <= r.last.row; ++row) out.push_back(display_text(sheet, {row, col}));
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

bool Editor::set_filter(std::int32_t sheet, std::int32_t col, const std::optional<std::vector<std::string>>& shown) {
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook_.sheets.size()) return false;
  Sheet& s = workbook_.sheets[static_cast<std::size_t>(sheet)];
  if (!s.auto_filter || col < s.auto_filter->range.first.col || col > s.auto_filter->range.last.col) return false;
  AutoFilter& f = *s.auto_filter;
  std::int32_t offset = col - f.range.first.col;
  std::erase_if(f.columns, [&](const FilterColumn& fc) { return fc.col_offset == offset; });
  if (shown) {
    FilterColumn fc;
    fc.col_offset = offset;
    for (const auto& v : *shown) {
      if (v.empty()) fc.blanks = true;
      else fc.values.push_back(v);
    }
    f.columns.push_back(std::move(fc));
    std::sort(f.columns.begin(), f.columns.end(),
              [](const FilterColumn& a, const FilterColumn& b) { return a.col_offset < b.col_offset; });
  }
  for (std::int32_t row = f.range.first.row + 1; row <= f.range.last.row; ++row) {
    bool visible = true;
    for (const auto& fc : f.columns) {
      std::string text = display_text(sheet, {row, f.range.first.col + fc.col_offset});
      bool listed = text.empty() ? fc.blanks : std::find(fc.values.begin(), fc.values.end(), text) != fc.values.end();
      visible = visible && listed;
    }
    auto it = s.rows.find(row);
    if (it == s.rows.end() && visible) continue;
    s.rows[row].hidden = !visible;
  }
  s.rows_changed = true;
  ++revision_;
  return true;
}

bool Editor::undo() {
  if (undo_.empty()) return false;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  apply(step, false);
  redo_.push_back(std::move(step));
  return true;
}

bool Editor::redo() {
  if (redo_.empty()) return false;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  apply(step, true);
  undo_.push_back(std::move(step));
  return true;
}

}  // namespace stilaro
