// Cell addresses and ranges in A1 notation.
// Rows and columns are 0-based everywhere in the engine; A1 text is only for files,
// formulas and what the user types. parse_* return nullopt on anything malformed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stilaro {

inline constexpr std::int32_t kMaxRows = 1048576;
inline constexpr std::int32_t kMaxColumns = 16384;

struct CellAddress {
  std::int32_t row = 0;
  std::int32_t col = 0;
  friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

// Inclusive on both ends; first is top-left, last bottom-right.
struct CellRange {
  CellAddress first;
  CellAddress last;
  friend bool operator==(const CellRange&, const CellRange&) = default;
  bool contains(CellAddress a) const {
    return a.row >= first.row && a.row <= last.row && a.col >= first.col && a.col <= last.col;
  }
  std::int32_t rows() const { return last.row - first.row + 1; }
  std::int32_t cols() const { return last.col - first.col + 1; }
};

// "A" -> 0, "Z" -> 25, "AA" -> 26. Letters in any case.
std::optional<std::int32_t> parse_column(std::string_view letters);
std::string column_name(std::int32_t col);

// "B12" or "$B$12" (dollars ignored); any case.
std::optional<CellAddress> parse_address(std::string_view text);
// "A1:C3" or a single cell; the result is normalised (first <= last).
std::optional<CellRange> parse_range(std::string_view text);

std::string format_address(CellAddress a);
// "A1" for a single cell, "A1:C3" otherwise.
std::string format_range(const CellRange& r);

}  // namespace stilaro
