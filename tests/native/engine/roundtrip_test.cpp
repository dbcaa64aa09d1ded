// Edit, save, and read the result with an independent reader (python3-openpyxl): the
// edited cells hold what was typed, formulas keep their text and get fresh results,
// every untouched package entry keeps its exact bytes and place.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

#include "edit.h"
#include "package.h"
#include "test_files.h"
#include "xlsx_reader.h"
#include "xlsx_writer.h"
#include "zip.h"

namespace stilaro {
namespace {

namespace fs = std::filesystem;

const double kToday = date_serial(2026, 12, 9);

struct Case {
  std::vector<std::uint8_t> original, saved;
  std::vector<std::string> expectations;
};

// Runs the checker over the cases in one process; returns its report ("" when
// everything holds).
std::string check_all(const std::vector<Case>& cases) {
  static std::atomic<int> serial{0};
  fs::path dir = fs::temp_directory_path() /
                 ("stilaro-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
  fs::create_directories(dir);
  std::string cmd = std::string("/usr/bin/python3 ") + STILARO_CHECKER;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    auto base = dir / std::to_string(i);
    test::write_file(base.string() + "-original.xlsx", cases[i].original);
    test::write_file(base.string() + "-saved.xlsx", cases[i].saved);
    std::ofstream exp(base.string() + "-expect.tsv");
    for (const auto& line : cases[i].expectations) exp << line << "\n";
    cmd += " " + base.string() + "-original.xlsx " + base.string() + "-saved.xlsx " + base.string() + "-expect.tsv";
  }
  cmd += " > " + (dir / "report.txt").string() + " 2>&1";
  int rc = std::system(cmd.c_str());
  std::ifstream in(dir / "report.txt");
  std::stringstream report;
  report << in.rdbuf();
  fs::remove_all(dir);
  std::string text = report.str();
  if (rc != 0 && text.empty()) text = "checker failed to run";
  return rc == 0 ? std::string() : text;
}

std::string check(const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& saved,
                  const std::vector<std::string>& expectations) {
  return check_all({{original, saved, expectations}});
}

Workbook open(const std::vector<std::uint8_t>& bytes) {
  auto r = read_xlsx(bytes);
  EXPECT_TRUE(r.workbook) << r.error;
  return r.workbook ? std::move(*r.workbook) : new_workbook();
}

// Every card takes an edit to a written cell and a new cell below everything, and keeps
// all the rest.
TEST(RoundTrip, EveryCardSurvivesAnEdit) {
  std::vector<Case> cases;
  for (const auto& entry : fs::directory_iterator(STILARO_FIXTURES)) {
    auto name = entry.path().filename().string();
    if (entry.path().extension() != ".xlsx" || name.starts_with("broken-")) continue;
    Case c;
    c.original = test::read_file(entry.path());
    Workbook wb = open(c.original);
    std::int32_t active = wb.active_sheet;
    const Sheet& s = wb.sheets[static_cast<std::size_t>(active)];
    CellAddress below{s.used_extent().row + 2, 1};
    std::optional<CellAddress> number;
    for (const auto& [r, row] : s.rows)
      for (const auto& [col, cell] : row.cells)
        if (!number && cell.value.is_number() && !cell.has_formula()) number = CellAddress{r, col};
    Editor ed(wb, {kToday});
    ASSERT_TRUE(ed.set_input(active, below, "Nota del 9/12"));
    c.expectations.push_back("cell\t" + s.name + "\t" + format_address(below) + "\ts\tNota del 9/12");
    if (number) {
      ASSERT_TRUE(ed.set_input(active, *number, "77,5"));
      c.expectations.push_back("cell\t" + s.name + "\t" + format_address(*number) + "\tn\t77.5");
    }
    // The entries that may change: the edited sheet and the shared strings.
    c.expectations.push_back("changed\t" + wb.source->sheet_paths[static_cast<std::size_t>(active)]);
    c.expectations.push_back("changed\txl/sharedStrings.xml");
    c.saved = write_xlsx(wb);
    cases.push_back(std::move(c));
  }
  EXPECT_GE(cases.size(), 13u);
  EXPECT_EQ(check_all(cases), "");
}

TEST(RoundTrip, TypedValuesFormulasAndClearsOnAnOpenpyxlCard) {
  auto original = test::fixture("simple.xlsx");
  Workbook wb = open(original);
  Editor ed(wb, {kToday});
  ASSERT_TRUE(ed.set_input(0, {7, 4}, "82,5"));     // E8
  ASSERT_TRUE(ed.set_input(0, {7, 5}, "12"));       // F8
  ASSERT_TRUE(ed.set_input(0, {7, 6}, "=E8*0,9"));  // G8
  ASSERT_TRUE(ed.set_input(0, {7, 7}, "ok "));      // H8: trailing space kept
  ed.clear_range(0, {{8, 4}, {8, 5}});              // E9:F9
  ASSERT_TRUE(ed.set_input(0, {30, 1}, "nuova riga"));  // B31, a row that did not exist

  auto saved = write_xlsx(wb);
  EXPECT_EQ(check(original, saved,
                  {"changed\txl/worksheets/sheet1.xml",
                   "cell\tScheda\tE8\tn\t82.5", "cell\tScheda\tF8\tn\t12",
                   "cell\tScheda\tG8\tf\t=E8*0.9", "cached\tScheda\tG8\t74.25",
                   "cell\tScheda\tH8\ts\tok ", "cell\tScheda\tE9\te", "cell\tScheda\tF9\te",
                   "cell\tScheda\tB31\ts\tnuova riga"}),
            "");
}

TEST(RoundTrip, NewTextsGoToTheSharedStringsOfAMultiSheetCard) {
  auto original = test::fixture("libreoffice-multisheet.xlsx");
  Workbook wb = open(original);
  ASSERT_EQ(wb.sheets[1].name, "Scheda");
  Editor ed(wb, {kToday});
  ASSERT_TRUE(ed.set_input(1, {7, 4}, "25"));             // E8
  ASSERT_TRUE(ed.set_input(1, {7, 1}, "Gomiti stretti"));  // B8: a new text
  ASSERT_TRUE(ed.set_input(1, {8, 1}, "Esercizio"));       // B9: a text already shared
  auto saved = write_xlsx(wb);
  EXPECT_EQ(check(original, saved,
                  {"changed\txl/worksheets/sheet2.xml", "changed\txl/sharedStrings.xml",
                   "cell\tScheda\tE8\tn\t25", "cell\tScheda\tB8\ts\tGomiti stretti",
                   "cell\tScheda\tB9\ts\tEsercizio"}),
            "");
}

TEST(RoundTrip, FormulaGetsItsMissingCachedValueAndTypedDatesAddAFormat) {
  auto original = test::fixture("dates-formulas.xlsx");
  Workbook wb = open(original);
  Editor ed(wb, {kToday});
  // Opening computes B6 = SUM(D11:D14), which the file stored without a value.
  ASSERT_TRUE(ed.set_input(0, {10, 3}, "5"));  // D11
  ASSERT_TRUE(ed.set_input(0, {20, 0}, "9/12/2026"));  // A21
  auto saved = write_xlsx(wb);
  double sum = wb.sheets[0].value({5, 1}).number;
  EXPECT_GT(sum, 5);
  EXPECT_EQ(check(original, saved,
                  {"changed\txl/worksheets/sheet1.xml", "changed\txl/styles.xml",
                   "cell\tScheda\tB6\tf\t=SUM(D11:D14)", "cached\tScheda\tB6\t" + std::to_string(sum),
                   "cell\tScheda\tD11\tn\t5", "cell\tScheda\tA21\tn\t" + std::to_string(kToday),
                   "numfmt\tScheda\tA21\tdd/mm/yyyy"}),
            "");
}

TEST(RoundTrip, UndoingEveryEditGivesBackTheSameCells) {
  auto original = test::fixture("two-workouts.xlsx");
  Workbook wb = open(original);
  Editor ed(wb, {kToday});
  ed.set_input(0, {7, 4}, "99");
  ed.paste_tsv(0, {8, 4}, "1\t2\n3\t4");
  ed.clear_range(0, {{9, 0}, {10, 10}});
  while (ed.undo()) {
  }
  auto saved = write_xlsx(wb);
  EXPECT_EQ(check(original, saved, {"changed\txl/worksheets/sheet1.xml"}), "");
}

TEST(RoundTrip, SavingTwiceAndWithoutEditsKeepsTheFile) {
  auto original = test::fixture("year-card.xlsx");
  Workbook wb = open(original);
  // Nothing changed: every entry is copied, so the file comes back as it was.
  EXPECT_EQ(write_xlsx(wb), original);

  Editor ed(wb, {kToday});
  ed.set_input(0, {600, 4}, "70");
  auto first = write_xlsx(wb);
  Workbook again = open(first);
  Editor ed2(again, {kToday});
  ed2.set_input(0, {601, 4}, "72,5");
  auto second = write_xlsx(again);
  const std::string ref1 = "E601", ref2 = "E602";
  EXPECT_EQ(check(original, second,
                  {"changed\txl/worksheets/sheet1.xml", "cell\tScheda annuale\t" + ref1 + "\tn\t70",
                   "cell\tScheda annuale\t" + ref2 + "\tn\t72.5"}),
            "");
}

TEST(RoundTrip, ANewWorkbookIsACompleteFile) {
  Workbook wb = new_workbook();
  Editor ed(wb, {kToday});
  ed.set_input(0, {0, 0}, "Panca");
  ed.set_input(0, {0, 1}, "80");
  ed.set_input(0, {0, 2}, "=B1*2");
  ed.set_input(0, {1, 0}, "50%");
  auto saved = write_xlsx(wb);
  auto back = read_xlsx(saved);
  ASSERT_TRUE(back.workbook) << back.error;
  EXPECT_EQ(back.workbook->sheets[0].value({0, 0}).text, "Panca");
  EXPECT_EQ(back.workbook->sheets[0].value({0, 2}).number, 160);
  // The checker compares the file with itself: it must at least open in openpyxl.
  EXPECT_EQ(check(saved, saved, {"cell\tFoglio1\tC1\tf\t=B1*2", "cell\tFoglio1\tA2\tn\t0.5",
                                 "numfmt\tFoglio1\tA2\t0%"}),
            "");
}

// A card whose formulas are listed in a calculation chain, written entry by entry.
std::vector<std::uint8_t> card_with_calc_chain() {
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string ct = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
  zip::Writer w;
  auto add = [&](const std::string& name, const std::string& text) { w.add(name, text, 0x6000, 0x5A21); };
  add("[Content_Types].xml",
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" + ct + "sheet.main+xml\"/>"
      "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"" + ct + "worksheet+xml\"/>"
      "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"" + ct + "calcChain+xml\"/></Types>");
  add("_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  add("xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\"><sheets>"
                         "<sheet name=\"Carichi\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  add("xl/_rels/workbook.xml.rels",
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + rel + "/calcChain\" Target=\"calcChain.xml\"/></Relationships>");
  add("xl/worksheets/sheet1.xml",
      "<worksheet xmlns=\"" + main + "\"><sheetData>"
      "<row r=\"1\"><c r=\"A1\"><v>10</v></c><c r=\"B1\"><f>A1*2</f><v>20</v></c></row>"
      "<row r=\"2\"><c r=\"A2\"><v>5</v></c><c r=\"B2\"><f t=\"shared\" ref=\"B2:B4\" si=\"0\">A2+1</f><v>6</v></c></row>"
      "<row r=\"3\"><c r=\"A3\"><v>7</v></c><c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>8</v></c></row>"
      "<row r=\"4\"><c r=\"B4\"><f t=\"shared\" si=\"0\"/><v>1</v></c></row>"
      "</sheetData><conditionalFormatting sqref=\"A1:A4\"><cfRule type=\"cellIs\" priority=\"1\" operator=\"greaterThan\">"
      "<formula>8</formula></cfRule></conditionalFormatting><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" "
      "bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/></worksheet>");
  add("xl/calcChain.xml", "<calcChain xmlns=\"" + main + "\"><c r=\"B1\" i=\"1\"/><c r=\"B2\"/><c r=\"B3\"/><c r=\"B4\"/></calcChain>");
  return w.finish();
}

TEST(RoundTrip, SharedFormulasAndTheCalculationChain) {
  auto original = card_with_calc_chain();
  Workbook wb = open(original);
  Sheet& s = wb.sheets[0];
  EXPECT_EQ(s.cell({2, 1})->formula, "A3+1");
  EXPECT_EQ(s.cell({3, 1})->formula, "A4+1");

  // Only values change: the chain stays valid and is kept.
  Editor ed(wb, {kToday});
  ed.set_input(0, {0, 0}, "11");
  auto values_only = write_xlsx(wb);
  EXPECT_EQ(check(original, values_only,
                  {"changed\txl/worksheets/sheet1.xml", "cell\tCarichi\tA1\tn\t11", "cached\tCarichi\tB1\t22",
                   "cell\tCarichi\tB4\tf\t=A4+1", "cached\tCarichi\tB4\t1"}),
            "");

  // Replacing the group's first formula and removing one: the rest keep their own
  // formulas and the stale chain goes, with its relationship and content type.
  ed.set_input(0, {1, 1}, "=A2*3");
  ed.set_input(0, {0, 1}, "");
  auto formulas = write_xlsx(wb);
  EXPECT_EQ(check(original, formulas,
                  {"changed\txl/worksheets/sheet1.xml", "changed\t[Content_Types].xml",
                   "changed\txl/_rels/workbook.xml.rels", "dropped\txl/calcChain.xml",
                   "cell\tCarichi\tA1\tn\t11", "cell\tCarichi\tB1\te", "cell\tCarichi\tB2\tf\t=A2*3",
                   "cached\tCarichi\tB2\t15", "cell\tCarichi\tB3\tf\t=A3+1", "cached\tCarichi\tB3\t8",
                   "cell\tCarichi\tB4\tf\t=A4+1"}),
            "");
  auto back = read_xlsx(formulas);
  ASSERT_TRUE(back.workbook);
  EXPECT_EQ(back.workbook->sheets[0].cell({2, 1})->formula, "A3+1");
  // What the engine does not model stays in the rewritten sheet.
  zip::Archive ar;
  ASSERT_EQ(zip::read_archive(formulas, ar), zip::ReadError::None);
  auto sheet_xml = zip::extract(formulas, *ar.find("xl/worksheets/sheet1.xml"));
  ASSERT_TRUE(sheet_xml);
  EXPECT_NE(sheet_xml->find("<conditionalFormatting sqref=\"A1:A4\"><cfRule type=\"cellIs\""), std::string::npos);
  EXPECT_NE(sheet_xml->find("<pageMargins "), std::string::npos);
}

TEST(RoundTrip, FilteredRowsAreHiddenInTheFile) {
  auto original = test::fixture("simple.xlsx");
  Workbook wb = open(original);
  wb.sheets[0].auto_filter = AutoFilter{{{6, 0}, {11, 9}}, {}};
  Editor ed(wb, {kToday});
  ASSERT_TRUE(ed.set_filter(0, 0, std::vector<std::string>{"SQUAT"}));
  auto back = read_xlsx(write_xlsx(wb));
  ASSERT_TRUE(back.workbook);
  const Sheet& s = back.workbook->sheets[0];
  EXPECT_TRUE(s.row_hidden(7));
  EXPECT_FALSE(s.row_hidden(8));
  EXPECT_TRUE(s.row_hidden(11));
  EXPECT_FALSE(s.row_hidden(6));
}

}  // namespace
}  // namespace stilaro
