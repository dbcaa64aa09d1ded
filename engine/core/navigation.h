// Resolving what the user types in the "Vai a" (go to) field: a cell ("B215"), a range
// ("A1:C4"), whole columns or rows ("C:E", "5:9"), a cell or range of another sheet
// ("'Settimana 2'!B4") or a defined name.
//
//   if (auto t = stilaro::resolve_go_to(workbook, active, "B215")) select(t->sheet, t->range);
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "workbook.h"

namespace stilaro {

struct GoToTarget {
  std::int32_t sheet = 0;
  CellRange range;
};

std::optional<GoToTarget> resolve_go_to(const Workbook& workbook, std::int32_t active_sheet,
                                        std::string_view text);

}  // namespace stilaro
