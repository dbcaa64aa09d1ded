// Times the engine core on a card: reading, one edit with recalculation, writing.
// usage: core_bench CARD.xlsx [ROUNDS]   prints milliseconds per round, one line each
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/edit.h"
#include "core/xlsx_reader.h"
#include "core/xlsx_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  using clock = std::chrono::steady_clock;
  auto ms = [](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  double read = 0, edit = 0, write = 0;
  for (int i = 0; i < rounds; ++i) {
    auto t0 = clock::now();
    auto r = stilaro::read_xlsx(bytes);
    if (!r.workbook) return 1;
    auto t1 = clock::now();
    stilaro::Editor ed(*r.workbook, {stilaro::date_serial(2026, 12, 9)});
    ed.set_input(r.workbook->active_sheet, {600, 4}, "82,5");
    auto t2 = clock::now();
    auto out = stilaro::write_xlsx(*r.workbook);
    auto t3 = clock::now();
    if (out.empty()) return 1;
    read += ms(t1 - t0);
    edit += ms(t2 - t1);
    write += ms(t3 - t2);
  }
  std::printf("read %.2f\nedit %.2f\nwrite %.2f\n", read / rounds, edit / rounds, write / rounds);
  return 0;
}
