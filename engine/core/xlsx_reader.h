// Reading an .xlsx file into the workbook model.
//
//   auto r = stilaro::read_xlsx(bytes);
//   if (!r.workbook) show(r.error);  // a short Italian sentence for the user
//
// Broken input (not a zip, truncated, missing parts, malformed XML) gives an error,
// never a crash. The original package is kept in Workbook::source for the writer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "workbook.h"

namespace stilaro {

struct ReadResult {
  std::optional<Workbook> workbook;
  std::string error;  // empty on success
};

ReadResult read_xlsx(std::span<const std::uint8_t> bytes);

}  // namespace stilaro
