// Every real card reads; every broken file fails with its message and never crashes.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_files.h"
#include "xlsx_reader.h"

namespace stilaro {
namespace {

TEST(Fixtures, EveryCardReads) {
  int cards = 0;
  for (const auto& entry : std::filesystem::directory_iterator(STILARO_FIXTURES)) {
    auto name = entry.path().filename().string();
    if (entry.path().extension() != ".xlsx" || name.starts_with("broken-")) continue;
    auto r = read_xlsx(test::read_file(entry.path()));
    ASSERT_TRUE(r.workbook) << name << ": " << r.error;
    EXPECT_FALSE(r.workbook->sheets.empty()) << name;
    EXPECT_FALSE(r.workbook->sheets[static_cast<std::size_t>(r.workbook->active_sheet)].rows.empty()) << name;
    ++cards;
  }
  EXPECT_GE(cards, 13);
}

TEST(Fixtures, BrokenFilesFailWithTheirMessage) {
  struct Case {
    const char* file;
    const char* message;
  } cases[] = {
      {"broken-not-zip.xlsx", "il file non è un .xlsx valido"},
      {"broken-no-workbook.xlsx", "il file non è un .xlsx valido"},
      {"broken-central-directory.xlsx", "il file .xlsx sembra rovinato"},
      {"broken-truncated.xlsx", nullptr},
  };
  for (const auto& c : cases) {
    auto r = read_xlsx(test::fixture(c.file));
    EXPECT_FALSE(r.workbook) << c.file;
    EXPECT_FALSE(r.error.empty()) << c.file;
    if (c.message) {
      EXPECT_EQ(r.error, c.message) << c.file;
    }
  }
}

TEST(Fixtures, EveryPrefixOfACardFailsCleanly) {
  auto bytes = test::fixture("simple.xlsx");
  for (std::size_t n = 1; n < bytes.size(); n += 97) {
    auto r = read_xlsx(std::span(bytes.data(), n));
    EXPECT_TRUE(r.workbook || !r.error.empty());
  }
}

TEST(Fixtures, YearCardModel) {
  auto r = read_xlsx(test::fixture("year-card.xlsx"));
  ASSERT_TRUE(r.workbook);
  const Workbook& wb = *r.workbook;
  const Sheet& s = wb.sheets[static_cast<std::size_t>(wb.active_sheet)];
  int weeks = 0;
  for (const auto& [row, cells] : s.rows)
    for (const auto& [col, cell] : cells.cells)
      if (cell.value.is_text() && cell.value.text.find("SETTIMANA") != std::string::npos) ++weeks;
  EXPECT_EQ(weeks, 52);
  EXPECT_FALSE(s.merges.empty());
  EXPECT_FALSE(s.columns.empty());
}

TEST(Fixtures, MultiSheetOrderAndActiveSheet) {
  auto r = read_xlsx(test::fixture("libreoffice-multisheet.xlsx"));
  ASSERT_TRUE(r.workbook);
  ASSERT_GE(r.workbook->sheets.size(), 2u);
}

}  // namespace
}  // namespace stilaro
