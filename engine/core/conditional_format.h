// Conditional formats of a sheet, as read from the file: ranges and their rules.
// The view decides what each rule does to a cell (view/conditional_look.h); the writer
// never touches them, they stay in the sheet's XML as they were.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "address.h"
#include "styles.h"

namespace stilaro {

// One end or middle of a colour scale or data bar.
struct ScalePoint {
  enum class Kind : std::uint8_t { Min, Max, Number, Percent, Percentile, Formula };
  Kind kind = Kind::Min;
  std::string value;  // the number or formula text, file syntax
};

struct ConditionalRule {
  enum class Type : std::uint8_t { CellIs, Expression, ColorScale, DataBar, Other };
  Type type = Type::Other;
  std::string op;                     // cellIs: lessThan, between, equal, ...
  std::vector<std::string> formulas;  // file syntax, relative to the first cell of the range
  std::optional<std::uint32_t> dxf;   // index into Styles::differential_formats
  std::int32_t priority = 0;          // lower first
  bool stop_if_true = false;
  std::vector<ScalePoint> points;     // colour scale (2 or 3) and data bar (2)
  std::vector<Color> colors;          // one per point; one for a data bar
};

struct ConditionalFormat {
  std::vector<CellRange> ranges;
  std::vector<ConditionalRule> rules;
};

}  // namespace stilaro
