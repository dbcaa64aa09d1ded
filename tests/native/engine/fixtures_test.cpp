// Every real card reads; every broken file fails with its message and never crashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "test_files.h"
#include "edit.h"
#include "xlsx_reader.h"
#include "zip.h"

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

// simple.xlsx with its sheet part replaced.
std::vector<std::uint8_t> with_sheet(const std::string& xml) {
  auto original = test::fixture("simple.xlsx");
  zip::Archive ar;
  EXPECT_EQ(zip::read_archive(original, ar), zip::ReadError::None);
  zip::Writer w;
  for (const auto& e : ar.entries) {
    if (e.name == "xl/worksheets/sheet1.xml") w.add(e.name, xml, e.time, e.date);
    else w.copy(original, e);
  }
  return w.finish();
}

TEST(Fixtures, HostilePartsReadWithoutCrashing) {
  const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  deep += "1";
  for (int i = 0; i < 100000; ++i) deep += "</a>";
  auto r = read_xlsx(with_sheet("<worksheet " + ns + "><sheetData><row r=\"1\"><c r=\"A1\"><v>" + deep +
                                "</v></c></row></sheetData></worksheet>"));
  ASSERT_TRUE(r.workbook) << r.error;
  EXPECT_EQ(r.workbook->sheets[0].value({0, 0}).number, 1);

  r = read_xlsx(with_sheet("<worksheet " + ns + "><sheetData><row r=\"1\"><c r=\"A1\"><f>" +
                           std::string(50000, '(') + "</f></c></row></sheetData></worksheet>"));
  ASSERT_TRUE(r.workbook);
  Editor ed(*r.workbook, {});
  EXPECT_TRUE(r.workbook->sheets[0].value({0, 0}).is_error());

  r = read_xlsx(with_sheet("<worksheet " + ns + "><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v>"));
  EXPECT_FALSE(r.workbook);
  EXPECT_EQ(r.error, "il file .xlsx contiene XML che non riesco a leggere");
}

// simple.xlsx with some parts replaced.
std::vector<std::uint8_t> with_parts(const std::map<std::string, std::string>& parts) {
  auto original = test::fixture("simple.xlsx");
  zip::Archive ar;
  EXPECT_EQ(zip::read_archive(original, ar), zip::ReadError::None);
  zip::Writer w;
  for (const auto& e : ar.entries) {
    if (auto p = parts.find(e.name); p != parts.end()) w.add(e.name, p->second, e.time, e.date);
    else w.copy(original, e);
  }
  return w.finish();
}

std::string part_of(const char* card, const char* name) {
  auto bytes = test::fixture(card);
  zip::Archive ar;
  zip::read_archive(bytes, ar);
  return *zip::extract(bytes, *ar.find(name));
}

TEST(Fixtures, OversizedPartsAndTextsAreRefusedBeforeTheyFillMemory) {
  const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
  auto sheet_of = [&](const std::string& text) {
    return "<worksheet " + ns + "><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + text +
           "</t></is></c></row></sheetData></worksheet>";
  };
  const std::string too_big = "il file .xlsx è troppo grande per Stilaro (più di 16 MB in una parte o di 32 MB in tutto)";
  const std::string too_long = "il file .xlsx ha una cella con più di 32.767 caratteri";
  // One cell of 20 MB: a few kilobytes once compressed.
  auto r = read_xlsx(with_sheet(sheet_of(std::string(20u << 20, 'x'))));
  EXPECT_FALSE(r.workbook);
  EXPECT_EQ(r.error, too_big);
  // Three parts under the limit of one part, over the limit of all.
  const std::string padding = "<!--" + std::string(12u << 20, ' ') + "-->";
  r = read_xlsx(with_parts({{"xl/worksheets/sheet1.xml", sheet_of("x") + padding},
                            {"xl/styles.xml", part_of("simple.xlsx", "xl/styles.xml") + padding},
                            {"xl/theme/theme1.xml", part_of("simple.xlsx", "xl/theme/theme1.xml") + padding}}));
  EXPECT_FALSE(r.workbook);
  EXPECT_EQ(r.error, too_big);
  // A cell's text may hold 32,767 characters, not one more (è counts as one).
  std::string longest;
  for (int i = 0; i < 32767; ++i) longest += "è";
  r = read_xlsx(with_sheet(sheet_of(longest)));
  ASSERT_TRUE(r.workbook) << r.error;
  r = read_xlsx(with_sheet(sheet_of(longest + "x")));
  EXPECT_FALSE(r.workbook);
  EXPECT_EQ(r.error, too_long);
}

TEST(Fixtures, PartsWithAByteOrderMarkRead) {
  auto r = read_xlsx(with_sheet("\xEF\xBB\xBF<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                "<sheetData><row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>più</t></is></c></row>"
                                "</sheetData></worksheet>"));
  ASSERT_TRUE(r.workbook) << r.error;
  EXPECT_EQ(r.workbook->sheets[0].value({1, 1}).text, "più");
}

TEST(Fixtures, ChartSheetsAreNeverEdited) {
  auto r = read_xlsx(with_sheet("<chartsheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews></chartsheet>"));
  ASSERT_TRUE(r.workbook);
  ASSERT_TRUE(r.workbook->sheets[0].chart_sheet);
  Editor ed(*r.workbook, {});
  EXPECT_FALSE(ed.set_input(0, {0, 0}, "1"));
  ed.paste_tsv(0, {0, 0}, "1\t2");
  EXPECT_TRUE(r.workbook->sheets[0].rows.empty());
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
