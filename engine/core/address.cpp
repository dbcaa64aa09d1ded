#include "address.h"

#include <algorithm>

namespace stilaro {

namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::int32_t> parse_column(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return std::nullopt;
  std::int32_t col = 0;
  for (char c : letters) {
    if (!is_letter(c)) return std::nullopt;
    col = col * 26 + ((c & ~0x20) - 'A' + 1);
  }
  if (col > kMaxColumns) return std::nullopt;
  return col - 1;
}

std::string column_name(std::int32_t col) {
  std::string out;
  for (std::int32_t n = col + 1; n > 0; n = (n - 1) / 26) out.insert(out.begin(), char('A' + (n - 1) % 26));
  return out;
}

std::optional<CellAddress> parse_address(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  std::size_t letters_start = i;
  while (i < text.size() && is_letter(text[i])) ++i;
  auto col = parse_column(text.substr(letters_start, i - letters_start));
  if (!col) return std::nullopt;
  if (i < text.size() && text[i] == '$') ++i;
  if (i >= text.size() || !is_digit(text[i]) || text[i] == '0') return std::nullopt;
  std::int64_t row = 0;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return std::nullopt;
    row = row * 10 + (text[i] - '0');
    if (row > kMaxRows) return std::nullopt;
  }
  return CellAddress{static_cast<std::int32_t>(row - 1), *col};
}

std::optional<CellRange> parse_range(std::string_view text) {
  auto colon = text.find(':');
  if (colon == std::string_view::npos) {
    auto a = parse_address(text);
    if (!a) return std::nullopt;
    return CellRange{*a, *a};
  }
  auto a = parse_address(text.substr(0, colon));
  auto b = parse_address(text.substr(colon + 1));
  if (!a || !b) return std::nullopt;
  return CellRange{{std::min(a->row, b->row), std::min(a->col, b->col)},
                   {std::max(a->row, b->row), std::max(a->col, b->col)}};
}

std::string format_address(CellAddress a) { return column_name(a.col) + std::to_string(a.row + 1); }

std::string format_range(const CellRange& r) {
  if (r.first == r.last) return format_address(r.first);
  return format_address(r.first) + ":" + format_address(r.last);
}

}  // namespace stilaro
