// The functions people use most on training cards: sums and averages, conditions,
// rounding, logic, joining text, dates.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "formula_functions.h"
#include "number_format.h"

namespace stilaro::formula {

namespace {

Value err(ErrorCode e) { return Value::of_error(e); }

// Rounds away the binary noise of decimal fractions (2.675 is 2.67499999...) to 15
// significant digits, as spreadsheets do before rounding.
double clean(double v) {
  char buf[32];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  if (ec != std::errc()) return v;
  double out = v;
  std::from_chars(buf, p, out);
  return out;
}

enum class Rounding { Nearest, Up, Down };

Value round_fn(Context& ctx, const Args& a, Rounding mode) {
  Value v = ctx.scalar(*a[0]), d = ctx.scalar(*a[1]);
  if (v.is_error()) return v;
  if (d.is_error()) return d;
  double x, digits;
  if (!to_number(v, x) || !to_number(d, digits)) return err(ErrorCode::Value);
  int n = static_cast<int>(std::trunc(std::clamp(digits, -308.0, 308.0)));
  double scale = std::pow(10.0, std::abs(n));
  double scaled = clean(n >= 0 ? x * scale : x / scale);
  double m = std::abs(scaled);
  double r = mode == Rounding::Nearest ? std::floor(m + 0.5) : mode == Rounding::Up ? std::ceil(m) : std::floor(m);
  r = std::copysign(r, scaled);
  return checked(n >= 0 ? r / scale : r * scale);
}

// SUM, AVERAGE, MIN, MAX, COUNT: numbers in cells count, texts and booleans in cells do
// not; values typed as arguments count when they read as numbers.
struct Numbers {
  std::vector<double> values;
  std::optional<Value> error;
  bool strict = true;  // a direct text argument that is no number is #VALUE!
};

Numbers collect(Context& ctx, const Args& a, bool strict) {
  Numbers out;
  out.strict = strict;
  for (const auto& arg : a) {
    Operand o = ctx.evaluate(*arg);
    if (o.is_range) {
      ctx.each(o, [&](const Value& v) {
        if (v.is_error() && !out.error) out.error = v;
        if (v.is_number()) out.values.push_back(v.number);
      });
    } else {
      const Value& v = o.value;
      if (v.is_error()) {
        if (strict && !out.error) out.error = v;
        continue;
      }
      double x;
      if (v.is_empty()) continue;
      if (to_number(v, x)) out.values.push_back(x);
      else if (strict && !out.error) out.error = err(ErrorCode::Value);
    }
  }
  return out;
}

Value logical(Context& ctx, const Args& a, bool is_and) {
  bool any = false, result = is_and;
  std::optional<Value> error;
  auto take = [&](const Value& v, bool from_range) {
    if (v.is_error()) {
      if (!error) error = v;
      return;
    }
    if (from_range && v.is_text()) return;
    bool b;
    if (!to_bool(v, b)) {
      if (!error) error = err(ErrorCode::Value);
      return;
    }
    any = true;
    result = is_and ? (result && b) : (result || b);
  };
  for (const auto& arg : a) {
    Operand o = ctx.evaluate(*arg);
    if (o.is_range) ctx.each(o, [&](const Value& v) { take(v, true); });
    else if (!o.value.is_empty()) take(o.value, false);
  }
  if (error) return *error;
  if (!any) return err(ErrorCode::Value);
  return Value::of_bool(result);
}

double total(const Numbers& n) {
  double s = 0;
  for (double x : n.values) s += x;
  return s;
}

}  // namespace

namespace library {

Value sum(Context& ctx, const Args& a) {
  Numbers n = collect(ctx, a, true);
  if (n.error) return *n.error;
  return checked(total(n));
}

Value average(Context& ctx, const Args& a) {
  Numbers n = collect(ctx, a, true);
  if (n.error) return *n.error;
  if (n.values.empty()) return err(ErrorCode::Div0);
  return checked(total(n) / static_cast<double>(n.values.size()));
}

Value min(Context& ctx, const Args& a) {
  Numbers n = collect(ctx, a, true);
  if (n.error) return *n.error;
  return Value::of_number(n.values.empty() ? 0 : *std::min_element(n.values.begin(), n.values.end()));
}

Value max(Context& ctx, const Args& a) {
  Numbers n = collect(ctx, a, true);
  if (n.error) return *n.error;
  return Value::of_number(n.values.empty() ? 0 : *std::max_element(n.values.begin(), n.values.end()));
}

Value count(Context& ctx, const Args& a) {
  return Value::of_number(static_cast<double>(collect(ctx, a, false).values.size()));
}

Value count_values(Context& ctx, const Args& a) {
  double count = 0;
  for (const auto& arg : a) {
    if (arg->kind == Node::Kind::Missing) continue;
    Operand o = ctx.evaluate(*arg);
    if (o.is_range) ctx.each(o, [&](const Value&) { ++count; });
    else ++count;
  }
  return Value::of_number(count);
}

Value if_then(Context& ctx, const Args& a) {
  Value c = ctx.scalar(*a[0]);
  if (c.is_error()) return c;
  bool b;
  if (!to_bool(c, b)) return err(ErrorCode::Value);
  if (b) return a.size() > 1 && a[1]->kind != Node::Kind::Missing ? ctx.scalar(*a[1]) : Value::of_number(0);
  if (a.size() < 3) return Value::of_bool(false);
  return a[2]->kind == Node::Kind::Missing ? Value::of_number(0) : ctx.scalar(*a[2]);
}

Value if_error(Context& ctx, const Args& a) {
  Value v = ctx.scalar(*a[0]);
  return v.is_error() ? ctx.scalar(*a[1]) : v;
}

Value round(Context& ctx, const Args& a) { return round_fn(ctx, a, Rounding::Nearest); }
Value round_up(Context& ctx, const Args& a) { return round_fn(ctx, a, Rounding::Up); }
Value round_down(Context& ctx, const Args& a) { return round_fn(ctx, a, Rounding::Down); }

Value abs(Context& ctx, const Args& a) {
  Value v = ctx.scalar(*a[0]);
  double x;
  if (v.is_error()) return v;
  if (!to_number(v, x)) return err(ErrorCode::Value);
  return Value::of_number(std::abs(x));
}

Value all_of(Context& ctx, const Args& a) { return logical(ctx, a, true); }
Value any_of(Context& ctx, const Args& a) { return logical(ctx, a, false); }

Value negation(Context& ctx, const Args& a) {
  Value v = ctx.scalar(*a[0]);
  bool b;
  if (v.is_error()) return v;
  if (!to_bool(v, b)) return err(ErrorCode::Value);
  return Value::of_bool(!b);
}

Value truth(Context&, const Args&) { return Value::of_bool(true); }
Value falsehood(Context&, const Args&) { return Value::of_bool(false); }

Value concatenate(Context& ctx, const Args& a) {
  std::string out;
  for (const auto& arg : a) {
    Value v = ctx.scalar(*arg);
    if (v.is_error()) return v;
    out += to_text(v);
  }
  return checked_text(std::move(out));
}

Value text(Context& ctx, const Args& a) {
  Value v = ctx.scalar(*a[0]), code = ctx.scalar(*a[1]);
  if (v.is_error()) return v;
  if (code.is_error()) return code;
  double x;
  // Numbers written as text are formatted as numbers.
  if (v.is_text() && to_number(v, x)) v = Value::of_number(x);
  // The code is read as an Italian spreadsheet reads it ("0,00", "gg/mm/aaaa").
  return checked_text(format_value(v, format_code_from_italian(to_text(code))).text);
}

Value today(Context& ctx, const Args&) { return Value::of_number(std::floor(ctx.options().today)); }

Value date(Context& ctx, const Args& a) {
  double part[3];
  for (int i = 0; i < 3; ++i) {
    Value v = ctx.scalar(*a[static_cast<std::size_t>(i)]);
    if (v.is_error()) return v;
    if (!to_number(v, part[i])) return err(ErrorCode::Value);
    part[i] = std::trunc(part[i]);
  }
  double y = part[0];
  if (y >= 0 && y < 1900) y += 1900;
  if (y < 1900 || y > 9999 || std::abs(part[1]) > 1e6 || std::abs(part[2]) > 1e8) return err(ErrorCode::Num);
  double serial = date_serial(static_cast<int>(y), static_cast<int>(part[1]), static_cast<int>(part[2]));
  if (serial < 0 || serial > 2958465) return err(ErrorCode::Num);
  return Value::of_number(serial);
}

}  // namespace library

}  // namespace stilaro::formula
