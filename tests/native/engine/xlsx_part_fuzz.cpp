// libFuzzer target at the XML level: the input's first byte picks a part of a small
// valid workbook (sheet, styles, shared strings, workbook), the rest replaces that
// part's text. Random bytes seldom survive deflate, so this reaches the XML readers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "edit.h"
#include "xlsx_reader.h"
#include "xlsx_writer.h"
#include "zip.h"

namespace {

const std::vector<std::uint8_t>& base() {
  static const std::vector<std::uint8_t> bytes = [] {
    stilaro::Workbook wb = stilaro::new_workbook();
    stilaro::Editor ed(wb, {46000});
    ed.set_input(0, {0, 0}, "testo");
    ed.set_input(0, {1, 0}, "9/12/2026");
    return stilaro::write_xlsx(wb);
  }();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static constexpr std::string_view kParts[] = {"xl/worksheets/sheet1.xml", "xl/styles.xml",
                                                "xl/sharedStrings.xml", "xl/workbook.xml"};
  std::string_view part = kParts[data[0] % 4];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto& original = base();
  stilaro::zip::Archive ar;
  stilaro::zip::read_archive(original, ar);
  stilaro::zip::Writer w;
  for (const auto& e : ar.entries) {
    if (e.name == part) w.add(e.name, text, e.time, e.date);
    else w.copy(original, e);
  }
  auto bytes = w.finish();
  auto r = stilaro::read_xlsx(bytes);
  if (!r.workbook) return 0;
  stilaro::Editor ed(*r.workbook, {46000});
  ed.set_input(r.workbook->active_sheet, {2, 1}, "=SUM(A1:A3)&\" kg\"");
  for (const auto& s : r.workbook->sheets)
    for (const auto& [row, cells] : s.rows)
      for (const auto& [col, cell] : cells.cells) (void)ed.display_text(r.workbook->active_sheet, {row, col});
  auto saved = stilaro::write_xlsx(*r.workbook);
  if (!stilaro::read_xlsx(saved).workbook) __builtin_trap();  // what we write must read back
  return 0;
}
