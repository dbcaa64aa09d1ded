#include "navigation.h"

#include <algorithm>
#include <string>

namespace stilaro {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// "A1:C4", "B7", and whole columns "B:D" or rows "5:9".
std::optional<CellRange> range_of(std::string_view text) {
  if (auto r = parse_range(text)) return r;
  auto colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  auto strip = [](std::string_view s) {
    if (!s.empty() && s.front() == '$') s.remove_prefix(1);
    return s;
  };
  auto a = strip(text.substr(0, colon)), b = strip(text.substr(colon + 1));
  if (auto c1 = parse_column(a), c2 = parse_column(b); c1 && c2)
    return CellRange{{0, std::min(*c1, *c2)}, {kMaxRows - 1, std::max(*c1, *c2)}};
  auto r1 = parse_address("A" + std::string(a)), r2 = parse_address("A" + std::string(b));
  if (r1 && r2)
    return CellRange{{std::min(r1->row, r2->row), 0}, {std::max(r1->row, r2->row), kMaxColumns - 1}};
  return std::nullopt;
}

std::optional<GoToTarget> resolve(const Workbook& wb, std::int32_t active, std::string_view text, int depth) {
  text = trim(text);
  if (text.empty() || depth > 4) return std::nullopt;
  if (text.front() == '=') return resolve(wb, active, text.substr(1), depth);
  auto bang = text.rfind('!');
  if (bang != std::string_view::npos) {
    std::string_view sheet_part = trim(text.substr(0, bang));
    std::string name;
    if (sheet_part.size() >= 2 && sheet_part.front() == '\'' && sheet_part.back() == '\'') {
      sheet_part = sheet_part.substr(1, sheet_part.size() - 2);
      for (std::size_t i = 0; i < sheet_part.size(); ++i) {
        name.push_back(sheet_part[i]);
        if (sheet_part[i] == '\'' && i + 1 < sheet_part.size() && sheet_part[i + 1] == '\'') ++i;
      }
    } else {
      name = sheet_part;
    }
    auto sheet = wb.sheet_index(name);
    auto range = range_of(trim(text.substr(bang + 1)));
    if (!sheet || !range) return std::nullopt;
    return GoToTarget{*sheet, *range};
  }
  if (auto range = range_of(text)) return GoToTarget{active, *range};
  if (const DefinedName* d = wb.find_name(text, active)) return resolve(wb, active, d->formula, depth + 1);
  return std::nullopt;
}

}  // namespace

std::optional<GoToTarget> resolve_go_to(const Workbook& workbook, std::int32_t active_sheet,
                                        std::string_view text) {
  return resolve(workbook, active_sheet, text, 0);
}

}  // namespace stilaro
