// libFuzzer target: arbitrary bytes through the package and XML reading, and the
// writer over whatever reads.
#include <cstddef>
#include <cstdint>

#include "edit.h"
#include "xlsx_reader.h"
#include "xlsx_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto r = stilaro::read_xlsx(std::span(data, size));
  if (!r.workbook) return 0;
  stilaro::Editor ed(*r.workbook, {46000});
  ed.set_input(r.workbook->active_sheet, {0, 0}, "=A2+1");
  auto bytes = stilaro::write_xlsx(*r.workbook);
  auto again = stilaro::read_xlsx(bytes);
  if (!again.workbook) __builtin_trap();  // what we write must read back
  return 0;
}
