#pragma once
// What a sheet's conditional formats do to each cell's look, worked out from the
// cells as they are now: the painter asks at every frame, so a change to a cell
// shows in the next one.
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "core/formula.h"
#include "core/workbook.h"

namespace stilaro::view {

struct ConditionalLook {
  std::optional<std::uint32_t> fill;         // ARGB laid over the cell
  std::optional<std::uint32_t> text_colour;  // ARGB
  std::optional<bool> bold, italic, underline, strike;
  double bar = 0;                  // data bar length as a share of the cell's width, 0 = none
  std::uint32_t bar_colour = 0;    // ARGB
  bool empty() const { return !fill && !text_colour && !bold && !italic && !underline && !strike && bar <= 0; }
};

class ConditionalLooks {
 public:
  ConditionalLooks(const Workbook& workbook, std::int32_t sheet, const RecalcOptions& options);
  ConditionalLook at(CellAddress a) const;

 private:
  struct Stats {
    std::vector<double> sorted;  // the numbers of the rule's ranges
  };
  const Stats& stats(const ConditionalFormat& f) const;
  double point_value(const ScalePoint& p, const Stats& s, const ConditionalFormat& f) const;
  bool matches(const ConditionalRule& r, const ConditionalFormat& f, CellAddress a) const;

  const Workbook& wb_;
  std::int32_t sheet_;
  RecalcOptions options_;
  // Rules in the order they apply, with the format they belong to.
  std::vector<std::pair<const ConditionalRule*, const ConditionalFormat*>> rules_;
  mutable std::map<const ConditionalFormat*, Stats> stats_;
};

}  // namespace stilaro::view
