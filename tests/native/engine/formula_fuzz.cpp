// libFuzzer target for formulas: parsing, evaluation, moving references and reading
// typed (Italian) formulas, over a small workbook with values, a name and two sheets.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "edit.h"
#include "number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  stilaro::Workbook wb = stilaro::new_workbook();
  stilaro::Sheet other;
  other.name = "Settimana 2";
  wb.sheets.push_back(std::move(other));
  wb.defined_names.push_back({"Carichi", "Foglio1!$A$1:$A$3", -1, false});
  stilaro::Editor ed(wb, {46000});
  ed.set_input(0, {0, 0}, "80");
  ed.set_input(0, {1, 0}, "panca");
  ed.set_input(1, {0, 0}, "=Foglio1!A1*2");
  // The same text as a formula in a cell (recalculated with everything else), as
  // typed input, and as a number format.
  ed.set_input(0, {2, 1}, "=" + std::string(text));
  ed.set_input(1, {3, 3}, text);
  (void)stilaro::shift_formula(text, 3, -2);
  (void)stilaro::format_value(stilaro::Value::of_number(46000.25), text);
  (void)stilaro::format_value(stilaro::Value::of_text("x"), text);
  (void)ed.input_text(0, {2, 1});
  ed.undo();
  return 0;
}
