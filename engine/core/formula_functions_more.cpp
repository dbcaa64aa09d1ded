// Further functions found on cards: whole numbers and remainders, date parts, text
// pieces, and counting or summing the cells that meet a condition.
#include <algorithm>
#include <cmath>

#include "formula_functions.h"

namespace stilaro::formula {

namespace {

Value err(ErrorCode e) { return Value::of_error(e); }

bool number_arg(Context& ctx, const Node& n, double& out, Value& error) {
  Value v = ctx.scalar(n);
  if (v.is_error()) return error = v, false;
  if (!to_number(v, out)) return error = err(ErrorCode::Value), false;
  return true;
}

// UTF-8 code points of a text.
std::vector<std::string_view> characters(std::string_view s) {
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len = 1;
    while (i + len < s.size() && (static_cast<unsigned char>(s[i + len]) & 0xC0) == 0x80) ++len;
    out.push_back(s.substr(i, len));
    i += len;
  }
  return out;
}

// Case change for ASCII and the accented Latin letters (à-þ <-> À-Þ).
std::string change_case(std::string_view s, bool upper) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    if (upper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
    else if (!upper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
    else if (c == 0xC3 && i + 1 < out.size()) {
      auto d = static_cast<unsigned char>(out[i + 1]);
      if (upper && d >= 0xA0 && d <= 0xBE && d != 0xB7) out[i + 1] = static_cast<char>(d - 0x20);
      else if (!upper && d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
      ++i;
    }
  }
  return out;
}

// "* ?" wildcards, case-insensitive.
bool wildcard(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p, ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// A condition of COUNTIF and SUMIF: "10", ">=10", "<>panca", "pan*".
struct Criterion {
  std::string op = "=";
  Value operand;

  explicit Criterion(const Value& c) {
    if (!c.is_text()) {
      operand = c;
      return;
    }
    std::string_view t = c.text;
    for (std::string_view o : {"<=", ">=", "<>", "<", ">", "="}) {
      if (t.starts_with(o)) {
        op = o;
        t.remove_prefix(o.size());
        break;
      }
    }
    double n;
    Value text = Value::of_text(std::string(t));
    operand = !t.empty() && to_number(text, n) ? Value::of_number(n) : text;
  }

  bool matches(const Value& v) const {
    if (operand.is_text() && operand.text.empty()) return op == "=" ? v.is_empty() : !v.is_empty();
    if (operand.is_number() || operand.is_bool()) {
      if (v.type != operand.type) return op == "<>";
      double x = v.number, y = operand.number;
      return op == "=" ? x == y : op == "<>" ? x != y : op == "<" ? x < y : op == ">" ? x > y : op == "<=" ? x <= y : x >= y;
    }
    if (!v.is_text()) return op == "<>";
    std::string a = change_case(v.text, true), b = change_case(operand.text, true);
    if (op == "=") return wildcard(b, a);
    if (op == "<>") return !wildcard(b, a);
    return op == "<" ? a < b : op == ">" ? a > b : op == "<=" ? a <= b : a >= b;
  }
};

Value conditional(Context& ctx, const Args& a, bool sum) {
  Operand range = ctx.evaluate(*a[0]);
  if (!range.is_range) return err(ErrorCode::Value);
  Value c = ctx.scalar(*a[1]);
  if (c.is_error()) return c;
  Criterion criterion(c);
  Operand target = range;
  if (a.size() == 3) {
    target = ctx.evaluate(*a[2]);
    if (!target.is_range) return err(ErrorCode::Value);
  }
  // Only written cells are visited, unless empty cells are what is counted.
  const Sheet& sheet = ctx.workbook().sheets[static_cast<std::size_t>(range.sheet)];
  CellAddress end = sheet.used_extent();
  CellRange r = range.range;
  r.last = {std::min(r.last.row, end.row), std::min(r.last.col, end.col)};
  double total = 0;
  // The cells beyond the written ones are empty: counted at once when that matches.
  if (!sum && criterion.matches(Value{})) {
    double all = static_cast<double>(range.range.rows()) * range.range.cols();
    double visited = r.last.row < r.first.row || r.last.col < r.first.col
                         ? 0 : static_cast<double>(r.rows()) * r.cols();
    total += all - visited;
  }
  for (std::int32_t row = r.first.row; row <= r.last.row; ++row) {
    for (std::int32_t col = r.first.col; col <= r.last.col; ++col) {
      Value v = ctx.cell_value(range.sheet, {row, col});
      if (!criterion.matches(v)) continue;
      if (!sum) {
        ++total;
        continue;
      }
      Value s = ctx.cell_value(target.sheet, {target.range.first.row + row - r.first.row,
                                              target.range.first.col + col - r.first.col});
      if (s.is_error()) return s;
      if (s.is_number()) total += s.number;
    }
  }
  return checked(total);
}

// INT and the date parts: one number argument.
template <typename Part>
Value of_number(Context& ctx, const Args& a, Part part) {
  Value error;
  double x;
  if (!number_arg(ctx, *a[0], x, error)) return error;
  return part(x);
}

Value date_part(Context& ctx, const Args& a, int which) {
  return of_number(ctx, a, [which](double x) {
    int yy, mm, dd;
    if (!serial_to_date(std::floor(x), yy, mm, dd)) return err(ErrorCode::Num);
    return Value::of_number(which == 0 ? yy : which == 1 ? mm : dd);
  });
}

// LEN, UPPER, LOWER, TRIM: one text argument.
template <typename Change>
Value of_text(Context& ctx, const Args& a, Change change) {
  Value v = ctx.scalar(*a[0]);
  if (v.is_error()) return v;
  return change(to_text(v));
}

Value piece(Context& ctx, const Args& a, bool from_left) {
  Value v = ctx.scalar(*a[0]);
  if (v.is_error()) return v;
  Value error;
  double n = 1;
  if (a.size() == 2 && !number_arg(ctx, *a[1], n, error)) return error;
  if (n < 0) return err(ErrorCode::Value);
  const std::string text = to_text(v);  // the pieces below point into it
  auto chars = characters(text);
  std::size_t count = std::min(chars.size(), static_cast<std::size_t>(n));
  std::string out;
  std::size_t from = from_left ? 0 : chars.size() - count;
  for (std::size_t i = from; i < from + count; ++i) out += chars[i];
  return Value::of_text(out);
}

}  // namespace

namespace library {

Value whole(Context& ctx, const Args& a) {
  return of_number(ctx, a, [](double x) { return Value::of_number(std::floor(x)); });
}
Value year(Context& ctx, const Args& a) { return date_part(ctx, a, 0); }
Value month(Context& ctx, const Args& a) { return date_part(ctx, a, 1); }
Value day(Context& ctx, const Args& a) { return date_part(ctx, a, 2); }

Value remainder(Context& ctx, const Args& a) {
  Value error;
  double x, y;
  if (!number_arg(ctx, *a[0], x, error) || !number_arg(ctx, *a[1], y, error)) return error;
  if (y == 0) return err(ErrorCode::Div0);
  return checked(x - y * std::floor(x / y));
}

Value product(Context& ctx, const Args& a) {
  double p = 1;
  bool any = false;
  std::optional<Value> bad;
  for (const auto& arg : a) {
    ctx.each(ctx.evaluate(*arg), [&](const Value& v) {
      double n;
      if (v.is_error() && !bad) bad = v;
      else if (v.is_number() || (v.is_text() && to_number(v, n))) p *= v.is_number() ? v.number : n, any = true;
    });
  }
  if (bad) return *bad;
  return checked(any ? p : 0);
}

Value length(Context& ctx, const Args& a) {
  return of_text(ctx, a, [](const std::string& t) { return Value::of_number(static_cast<double>(characters(t).size())); });
}
Value upper(Context& ctx, const Args& a) {
  return of_text(ctx, a, [](const std::string& t) { return Value::of_text(change_case(t, true)); });
}
Value lower(Context& ctx, const Args& a) {
  return of_text(ctx, a, [](const std::string& t) { return Value::of_text(change_case(t, false)); });
}

Value trim(Context& ctx, const Args& a) {
  return of_text(ctx, a, [](const std::string& t) {
    std::string out;
    for (char c : t) {
      if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
      out.push_back(c);
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return Value::of_text(out);
  });
}

Value left(Context& ctx, const Args& a) { return piece(ctx, a, true); }
Value right(Context& ctx, const Args& a) { return piece(ctx, a, false); }
Value count_if(Context& ctx, const Args& a) { return conditional(ctx, a, false); }
Value sum_if(Context& ctx, const Args& a) { return conditional(ctx, a, true); }

}  // namespace library

}  // namespace stilaro::formula
