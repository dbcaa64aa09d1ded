// Writing the workbook back as a complete .xlsx file.
//
//   std::vector<std::uint8_t> bytes = stilaro::write_xlsx(workbook);
//
// With a source package, every entry the edits did not touch is copied byte for byte
// (compressed data included) in its original order; changed worksheets are rewritten
// by editing their original XML, so everything the engine does not model (conditional
// formats, validations, drawings, print settings, extensions) stays. New texts go to
// the shared strings, new formats to the styles part. A workbook without a source is
// written as a fresh minimal package.
#pragma once

#include <cstdint>
#include <vector>

#include "workbook.h"

namespace stilaro {

std::vector<std::uint8_t> write_xlsx(const Workbook& workbook);

}  // namespace stilaro
