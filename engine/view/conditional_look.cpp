#include "view/conditional_look.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace stilaro::view {
namespace {

// Blanks count as 0 in comparisons, as spreadsheets do; text compares without case.
int compare(const Value& a, const Value& b) {
  const bool an = a.is_number() || a.is_bool() || a.is_empty();
  const bool bn = b.is_number() || b.is_bool() || b.is_empty();
  if (an && bn) return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
  if (an != bn) return an ? -1 : 1;  // numbers sort before text
  std::string x = a.text, y = b.text;
  for (auto* s : {&x, &y})
    for (char& c : *s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return x < y ? -1 : x > y ? 1 : 0;
}

bool truthy(const Value& v) {
  if (v.is_number() || v.is_bool()) return v.number != 0;
  return false;
}

std::uint32_t mix(std::uint32_t a, std::uint32_t b, double t) {
  std::uint32_t out = 0xFF000000;
  for (int shift : {16, 8, 0}) {
    const double x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
    out |= static_cast<std::uint32_t>(std::lround(x + (y - x) * t)) << shift;
  }
  return out;
}

double percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const double pos = std::clamp(p, 0.0, 100.0) / 100 * static_cast<double>(sorted.size() - 1);
  const auto lo = static_cast<std::size_t>(std::floor(pos));
  const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
  return sorted[lo] + (sorted[hi] - sorted[lo]) * (pos - static_cast<double>(lo));
}

}  // namespace

ConditionalLooks::ConditionalLooks(const Workbook& workbook, std::int32_t sheet, const RecalcOptions& options)
    : wb_(workbook), sheet_(sheet), options_(options) {
  for (const ConditionalFormat& f : wb_.sheets[sheet_].conditional_formats)
    for (const ConditionalRule& r : f.rules) rules_.emplace_back(&r, &f);
  std::stable_sort(rules_.begin(), rules_.end(),
                   [](const auto& a, const auto& b) { return a.first->priority < b.first->priority; });
}

const ConditionalLooks::Stats& ConditionalLooks::stats(const ConditionalFormat& f) const {
  auto [it, added] = stats_.try_emplace(&f);
  if (!added) return it->second;
  const Sheet& s = wb_.sheets[sheet_];
  for (const CellRange& r : f.ranges)
    for (auto row = s.rows.lower_bound(r.first.row); row != s.rows.end() && row->first <= r.last.row; ++row)
      for (auto c = row->second.cells.lower_bound(r.first.col); c != row->second.cells.end() && c->first <= r.last.col; ++c)
        if (c->second.value.is_number()) it->second.sorted.push_back(c->second.value.number);
  std::sort(it->second.sorted.begin(), it->second.sorted.end());
  return it->second;
}

double ConditionalLooks::point_value(const ScalePoint& p, const Stats& s, const ConditionalFormat& f) const {
  const double lo = s.sorted.front(), hi = s.sorted.back();
  double given = 0;
  if (p.kind == ScalePoint::Kind::Formula) {
    const Value v = evaluate_formula(wb_, sheet_, f.ranges.front().first, p.value, options_);
    given = v.is_number() ? v.number : 0;
  } else {
    std::from_chars(p.value.data(), p.value.data() + p.value.size(), given);
  }
  switch (p.kind) {
    case ScalePoint::Kind::Min: return lo;
    case ScalePoint::Kind::Max: return hi;
    case ScalePoint::Kind::Percent: return lo + (hi - lo) * given / 100;
    case ScalePoint::Kind::Percentile: return percentile(s.sorted, given);
    default: return given;
  }
}

bool ConditionalLooks::matches(const ConditionalRule& r, const ConditionalFormat& f, CellAddress a) const {
  // Formulas are written for the first cell of the first range and move with the cell.
  const CellAddress origin = f.ranges.front().first;
  auto eval = [&](std::size_t i) {
    if (i >= r.formulas.size()) return Value::of_error(ErrorCode::Value);
    const std::string moved = shift_formula(r.formulas[i], a.row - origin.row, a.col - origin.col);
    return evaluate_formula(wb_, sheet_, a, moved, options_);
  };
  if (r.type == ConditionalRule::Type::Expression) return truthy(eval(0));
  const Value v = wb_.sheets[sheet_].value(a);
  if (v.is_error()) return false;
  const Value x = eval(0);
  if (x.is_error()) return false;
  const int c = compare(v, x);
  if (r.op == "between" || r.op == "notBetween") {
    const Value y = eval(1);
    if (y.is_error()) return false;
    const int d = compare(v, y);
    const bool inside = (c >= 0 && d <= 0) || (c <= 0 && d >= 0);
    return r.op == "between" ? inside : !inside;
  }
  if (r.op == "equal") return c == 0;
  if (r.op == "notEqual") return c != 0;
  if (r.op == "greaterThan") return c > 0;
  if (r.op == "greaterThanOrEqual") return c >= 0;
  if (r.op == "lessThan") return c < 0;
  if (r.op == "lessThanOrEqual") return c <= 0;
  return false;
}

ConditionalLook ConditionalLooks::at(CellAddress a) const {
  ConditionalLook look;
  for (const auto& [rule, format] : rules_) {
    if (std::none_of(format->ranges.begin(), format->ranges.end(), [&](const CellRange& r) { return r.contains(a); }))
      continue;
    const ConditionalRule& r = *rule;
    if (r.type == ConditionalRule::Type::ColorScale || r.type == ConditionalRule::Type::DataBar) {
      const Value v = wb_.sheets[sheet_].value(a);
      const Stats& s = stats(*format);
      if (!v.is_number() || s.sorted.empty() || r.points.size() < 2 || r.colors.empty()) continue;
      if (r.type == ConditionalRule::Type::DataBar) {
        if (look.bar > 0) continue;
        const double lo = point_value(r.points.front(), s, *format), hi = point_value(r.points.back(), s, *format);
        const double t = hi > lo ? std::clamp((v.number - lo) / (hi - lo), 0.0, 1.0) : 1.0;
        // The shortest bar keeps a tenth of the cell, the longest leaves a tenth free.
        look.bar = 0.1 + 0.8 * t;
        look.bar_colour = r.colors.front().argb | 0xFF000000;
        continue;
      }
      if (look.fill || r.colors.size() < r.points.size()) continue;
      std::vector<double> at_points;
      for (const ScalePoint& p : r.points) at_points.push_back(point_value(p, s, *format));
      std::size_t i = 0;
      while (i + 2 < at_points.size() && v.number > at_points[i + 1]) ++i;
      const double lo = at_points[i], hi = at_points[i + 1];
      const double t = hi > lo ? std::clamp((v.number - lo) / (hi - lo), 0.0, 1.0) : v.number >= hi ? 1.0 : 0.0;
      look.fill = mix(r.colors[i].argb, r.colors[i + 1].argb, t);
      continue;
    }
    if (!matches(r, *format, a)) continue;
    if (r.dxf && *r.dxf < wb_.styles.differential_formats.size()) {
      const DifferentialFormat& d = wb_.styles.differential_formats[*r.dxf];
      if (!look.fill && d.fill.is_set()) look.fill = d.fill.argb | 0xFF000000;
      if (!look.text_colour && d.font_color.is_set()) look.text_colour = d.font_color.argb | 0xFF000000;
      if (!look.bold) look.bold = d.bold;
      if (!look.italic) look.italic = d.italic;
      if (!look.underline) look.underline = d.underline;
      if (!look.strike) look.strike = d.strike;
    }
    if (r.stop_if_true) break;
  }
  return look;
}

}  // namespace stilaro::view
