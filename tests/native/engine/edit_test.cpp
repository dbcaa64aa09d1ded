// Editing as a user types: how typed text is stored, undo and redo, clearing, pasting,
// copying, filters and the "Vai a" field.
#include <gtest/gtest.h>

#include "edit.h"
#include "navigation.h"
#include "number_format.h"
#include "test_files.h"
#include "xlsx_reader.h"
#include "xlsx_writer.h"

namespace stilaro {
namespace {

const double kToday = date_serial(2026, 12, 9);

TEST(Input, TypedTextsAndWhatTheyBecome) {
  struct Case {
    const char* typed;
    Value::Type type;
    double number;
    const char* format;  // format the cell takes, "" for none
  } cases[] = {
      {"82,5", Value::Type::Number, 82.5, ""},
      {"3.5", Value::Type::Number, 3.5, ""},
      {"-0,75", Value::Type::Number, -0.75, ""},
      {"1.500", Value::Type::Number, 1500, ""},
      {"1.234.567,5", Value::Type::Number, 1234567.5, ""},
      {"007", Value::Type::Number, 7, ""},
      {" 12 ", Value::Type::Number, 12, ""},
      {"50%", Value::Type::Number, 0.5, "0%"},
      {"12,5%", Value::Type::Number, 0.125, "0.00%"},
      {"9/12/2026", Value::Type::Number, date_serial(2026, 12, 9), "dd/mm/yyyy"},
      {"9-12-26", Value::Type::Number, date_serial(2026, 12, 9), "dd/mm/yyyy"},
      {"1/3", Value::Type::Number, date_serial(2026, 3, 1), "dd/mm/yyyy"},
      {"10:30", Value::Type::Number, 0.4375, "h:mm"},
      {"VERO", Value::Type::Boolean, 1, ""},
      {"falso", Value::Type::Boolean, 0, ""},
      {"31/2/2026", Value::Type::Text, 0, ""},
      {"1.5.3", Value::Type::Text, 0, ""},
      {"3,5,1", Value::Type::Text, 0, ""},
      {"12kg", Value::Type::Text, 0, ""},
      {"'123", Value::Type::Text, 0, ""},
      {"PANCA PIANA", Value::Type::Text, 0, ""},
  };
  for (const auto& c : cases) {
    ParsedInput in = parse_input(c.typed, false, kToday);
    EXPECT_EQ(in.content.value.type, c.type) << c.typed;
    if (c.type != Value::Type::Text) {
      EXPECT_DOUBLE_EQ(in.content.value.number, c.number) << c.typed;
    }
    EXPECT_EQ(in.number_format.value_or(""), c.format) << c.typed;
  }
  EXPECT_EQ(parse_input("'123", false, kToday).content.value.text, "123");
  EXPECT_EQ(parse_input("=SOMMA(A1;A2)", false, kToday).content.formula, "SUM(A1,A2)");
  EXPECT_EQ(parse_input("3,5", true, kToday).content.value.text, "3,5");
  EXPECT_EQ(parse_input("=A1", true, kToday).content.value.text, "=A1");
}

class EditorTest : public ::testing::Test {
 protected:
  Workbook wb = new_workbook();
  Editor ed{wb, {kToday}};
  const Sheet& sheet() const { return wb.sheets[0]; }
};

TEST_F(EditorTest, FormulasRecalculateAndUndoRedoRestoreEverything) {
  ASSERT_TRUE(ed.set_input(0, {0, 0}, "80"));
  ASSERT_TRUE(ed.set_input(0, {1, 0}, "=A1*1,1"));
  EXPECT_DOUBLE_EQ(sheet().value({1, 0}).number, 88);
  ASSERT_TRUE(ed.set_input(0, {0, 0}, "100"));
  EXPECT_DOUBLE_EQ(sheet().value({1, 0}).number, 110);
  auto rev = ed.revision();

  EXPECT_TRUE(ed.undo());
  EXPECT_DOUBLE_EQ(sheet().value({1, 0}).number, 88);
  EXPECT_GT(ed.revision(), rev);
  EXPECT_TRUE(ed.undo());
  EXPECT_EQ(sheet().cell({1, 0}), nullptr);
  EXPECT_TRUE(ed.redo());
  EXPECT_TRUE(ed.redo());
  EXPECT_DOUBLE_EQ(sheet().value({1, 0}).number, 110);
  EXPECT_FALSE(ed.redo());

  // A new edit after undo drops the redo history.
  ed.undo();
  ed.set_input(0, {5, 5}, "x");
  EXPECT_FALSE(ed.can_redo());
}

TEST_F(EditorTest, InvalidFormulasAreRefusedAndChangeNothing) {
  auto rev = ed.revision();
  EXPECT_FALSE(ed.set_input(0, {0, 0}, "=SUM(A1"));
  EXPECT_FALSE(ed.set_input(0, {0, 0}, "=1+*2"));
  EXPECT_EQ(sheet().cell({0, 0}), nullptr);
  EXPECT_EQ(ed.revision(), rev);
  EXPECT_FALSE(ed.can_undo());
}

TEST_F(EditorTest, TypedDatesTakeADateFormatButKeepAnExistingOne) {
  ed.set_input(0, {0, 0}, "9/12/2026");
  EXPECT_EQ(wb.styles.number_format_of(sheet().cell({0, 0})->style), "dd/mm/yyyy");
  EXPECT_EQ(ed.display_text(0, {0, 0}), "09/12/2026");
  EXPECT_EQ(ed.input_text(0, {0, 0}), "09/12/2026");
  // Typing a plain number into the date cell keeps its format (it shows as a date).
  ed.set_input(0, {0, 0}, "46000");
  EXPECT_EQ(wb.styles.number_format_of(sheet().cell({0, 0})->style), "dd/mm/yyyy");
}

TEST_F(EditorTest, TextFormatCellsKeepWhatIsTyped) {
  std::uint32_t text_style = wb.styles.with_number_format(0, "@");
  wb.sheets[0].cell_at({0, 0}).style = text_style;
  ed.set_input(0, {0, 0}, "3,50");
  EXPECT_EQ(sheet().value({0, 0}).text, "3,50");
  EXPECT_EQ(sheet().cell({0, 0})->style, text_style);
}

TEST_F(EditorTest, InputTextReadsBackToTheSameValue) {
  const char* typed[] = {"82,5", "12,5%", "10:30", "VERO", "PANCA", "'123", "=SUM(A1:A2)", "9/12/2026 10:30"};
  for (const char* t : typed) {
    ed.set_input(0, {3, 3}, t);
    Cell before = *sheet().cell({3, 3});
    std::string shown = ed.input_text(0, {3, 3});
    ed.set_input(0, {3, 3}, shown);
    EXPECT_TRUE(sheet().cell({3, 3})->value == before.value) << t << " -> " << shown;
    EXPECT_EQ(sheet().cell({3, 3})->formula, before.formula) << t;
  }
}

TEST_F(EditorTest, InputTextShowsFifteenDigits) {
  ed.set_input(0, {0, 0}, "=0.1+0.2");
  ed.set_input(0, {0, 1}, "=A1");
  // B1 keeps the computed 0.30000000000000004 as a plain value.
  wb.sheets[0].cell_at({0, 1}).formula.clear();
  EXPECT_EQ(ed.input_text(0, {0, 1}), "0,3");
  ed.set_input(0, {1, 0}, "1234567,125");
  EXPECT_EQ(ed.input_text(0, {1, 0}), "1234567,125");
}

TEST_F(EditorTest, ClearKeepsStylesAndIsOneUndoStep) {
  std::uint32_t pct = wb.styles.with_number_format(0, "0%");
  wb.sheets[0].cell_at({0, 1}).style = pct;
  ed.set_input(0, {0, 0}, "1");
  ed.set_input(0, {0, 1}, "2");
  ed.set_input(0, {1, 0}, "3");
  ed.clear_range(0, {{0, 0}, {1, 1}});
  EXPECT_EQ(sheet().cell({0, 0}), nullptr);
  ASSERT_NE(sheet().cell({0, 1}), nullptr);
  EXPECT_TRUE(sheet().cell({0, 1})->value.is_empty());
  EXPECT_EQ(sheet().cell({0, 1})->style, pct);
  ed.undo();
  EXPECT_EQ(sheet().value({1, 0}).number, 3);
  EXPECT_EQ(sheet().value({0, 1}).number, 2);
}

TEST_F(EditorTest, PasteAndCopyTabSeparatedBlocks) {
  auto filled = ed.paste_tsv(0, {1, 1}, "PANCA\t82,5\t=C2*2\r\n\"due\trighe\"\t\"a \"\"b\"\"\"\t\n");
  EXPECT_EQ(filled, (CellRange{{1, 1}, {2, 3}}));
  EXPECT_EQ(sheet().value({1, 1}).text, "PANCA");
  EXPECT_EQ(sheet().value({1, 2}).number, 82.5);
  EXPECT_EQ(sheet().value({1, 3}).number, 165);
  EXPECT_EQ(sheet().value({2, 1}).text, "due\trighe");
  EXPECT_EQ(sheet().value({2, 2}).text, "a \"b\"");
  EXPECT_EQ(ed.copy_tsv(0, {{1, 1}, {2, 2}}), "PANCA\t82,5\r\n\"due\trighe\"\t\"a \"\"b\"\"\"\r\n");
  // A whole column stops at the last written row.
  EXPECT_EQ(ed.copy_tsv(0, {{0, 2}, {kMaxRows - 1, 2}}), "\r\n82,5\r\n\"a \"\"b\"\"\"\r\n");
  ed.paste_tsv(0, {5, 0}, "=SUM(\t=1+");
  EXPECT_EQ(sheet().value({5, 0}).text, "=SUM(");
  ed.undo();
  ed.undo();
  EXPECT_EQ(sheet().cell({1, 1}), nullptr);
}

TEST_F(EditorTest, FiltersHideRowsByValue) {
  const char* values[] = {"Nome", "panca", "squat", "panca", ""};
  for (int r = 0; r < 5; ++r) ed.set_input(0, {r, 0}, values[r]);
  wb.sheets[0].auto_filter = AutoFilter{{{0, 0}, {4, 0}}, {}};
  EXPECT_EQ(ed.filter_values(0, 0), (std::vector<std::string>{"", "panca", "squat"}));
  ASSERT_TRUE(ed.set_filter(0, 0, std::vector<std::string>{"panca"}));
  EXPECT_FALSE(sheet().row_hidden(0));
  EXPECT_FALSE(sheet().row_hidden(1));
  EXPECT_TRUE(sheet().row_hidden(2));
  EXPECT_TRUE(sheet().row_hidden(4));
  ASSERT_TRUE(ed.set_filter(0, 0, std::nullopt));
  EXPECT_FALSE(sheet().row_hidden(2));
  EXPECT_FALSE(ed.set_filter(0, 3, std::nullopt));
}

TEST(Input, TextWithLineBreaksTurnsOnWrapping) {
  Workbook wb = new_workbook();
  Editor ed(wb, {kToday});
  ASSERT_TRUE(ed.set_input(0, {1, 1}, "riga uno\nriga due"));
  const Cell* cell = wb.sheets[0].cell({1, 1});
  ASSERT_NE(cell, nullptr);
  EXPECT_TRUE(wb.styles.cell_format(cell->style).alignment.wrap);
  ASSERT_TRUE(ed.set_input(0, {1, 2}, "una riga"));
  EXPECT_FALSE(wb.styles.cell_format(wb.sheets[0].cell({1, 2})->style).alignment.wrap);
}

// A cell holds at most 32,767 characters: longer typed or pasted text is cut there,
// never inside a character, and the saved card opens again.
TEST_F(EditorTest, TextLongerThanACellHoldsIsCut) {
  std::string accents;
  for (int i = 0; i < 40000; ++i) accents += "à";
  const std::string plain(40000, 'x');
  ASSERT_TRUE(ed.set_input(0, {0, 0}, accents));
  ASSERT_TRUE(ed.set_input(0, {1, 0}, "'" + plain));
  ASSERT_TRUE(ed.set_input(0, {2, 0}, plain.substr(0, 32767)));
  ed.paste_tsv(0, {3, 0}, "corto\t" + plain);
  EXPECT_EQ(sheet().value({0, 0}).text, accents.substr(0, 2 * 32767));
  EXPECT_EQ(sheet().value({1, 0}).text, plain.substr(0, 32767));
  EXPECT_EQ(sheet().value({2, 0}).text.size(), 32767u);
  EXPECT_EQ(sheet().value({3, 0}).text, "corto");
  EXPECT_EQ(sheet().value({3, 1}).text.size(), 32767u);
  // A text-format cell takes what is typed as it is, up to the same length.
  wb.sheets[0].cell_at({4, 0}).style = wb.styles.with_number_format(0, "@");
  ASSERT_TRUE(ed.set_input(0, {4, 0}, plain));
  EXPECT_EQ(sheet().value({4, 0}).text.size(), 32767u);
  auto again = read_xlsx(write_xlsx(wb));
  ASSERT_TRUE(again.workbook) << again.error;
  EXPECT_EQ(again.workbook->sheets[0].value({0, 0}).text, accents.substr(0, 2 * 32767));
}

TEST(GoTo, CellsRangesSheetsAndNames) {
  auto r = read_xlsx(test::fixture("libreoffice-multisheet.xlsx"));
  ASSERT_TRUE(r.workbook);
  Workbook& wb = *r.workbook;
  wb.defined_names.push_back({"Massimali", "'Scheda settembre'!$B$2:$C$5", -1, false});
  auto t = resolve_go_to(wb, 1, "B215");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->sheet, 1);
  EXPECT_EQ(t->range.first, (CellAddress{214, 1}));
  t = resolve_go_to(wb, 1, "anamnesi!a1:b3");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->sheet, 0);
  EXPECT_EQ(t->range.last, (CellAddress{2, 1}));
  t = resolve_go_to(wb, 1, " massimali ");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->sheet, 2);
  EXPECT_EQ(t->range, (CellRange{{1, 1}, {4, 2}}));
  t = resolve_go_to(wb, 1, "c:e");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->range, (CellRange{{0, 2}, {kMaxRows - 1, 4}}));
  t = resolve_go_to(wb, 1, "'Scheda settembre'!9:5");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->range, (CellRange{{4, 0}, {8, kMaxColumns - 1}}));
  EXPECT_FALSE(resolve_go_to(wb, 1, "Nessuno!A1"));
  EXPECT_FALSE(resolve_go_to(wb, 1, "ZZZZ1"));
  EXPECT_FALSE(resolve_go_to(wb, 1, ""));
}

}  // namespace
}  // namespace stilaro
