// Formula results against a table of expected values, recalculation order and cycles.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>

#include "edit.h"
#include "formula.h"
#include "formula_functions.h"
#include "number_format.h"
#include "workbook.h"

namespace stilaro {
namespace {

// A two-sheet workbook: Scheda!A1:A4 = 10, 20, "testo", empty; B1 = 2.5; B2 = TRUE;
// 'Settimana 2'!C3 = 7; the name Carichi = Scheda!$A$1:$A$2.
Workbook sample() {
  Workbook wb = new_workbook();
  wb.sheets[0].name = "Scheda";
  Sheet& s = wb.sheets[0];
  s.cell_at({0, 0}).value = Value::of_number(10);
  s.cell_at({1, 0}).value = Value::of_number(20);
  s.cell_at({2, 0}).value = Value::of_text("testo");
  s.cell_at({0, 1}).value = Value::of_number(2.5);
  s.cell_at({1, 1}).value = Value::of_bool(true);
  Sheet other;
  other.name = "Settimana 2";
  other.cell_at({2, 2}).value = Value::of_number(7);
  wb.sheets.push_back(std::move(other));
  wb.defined_names.push_back({"Carichi", "Scheda!$A$1:$A$2", -1, false});
  return wb;
}

std::string shown(const Value& v) {
  if (v.is_number()) return format_general(v.number);
  if (v.is_bool()) return v.number != 0 ? "TRUE" : "FALSE";
  if (v.is_error()) return std::string(error_text(v.error));
  if (v.is_text()) return "\"" + v.text + "\"";
  return "<empty>";
}

TEST(Formula, TableOfResults) {
  Workbook wb = sample();
  RecalcOptions opt{date_serial(2026, 12, 9)};
  struct Case {
    const char* formula;
    const char* expected;
  } cases[] = {
      {"1+2*3", "7"},
      {"(1+2)*3", "9"},
      {"-2^2", "4"},
      {"2^3^2", "64"},
      {"50%", "0,5"},
      {"10-5%", "9,95"},
      {"-A1", "-10"},
      {"A1/0", "#DIV/0!"},
      {"\"a\"+1", "#VALUE!"},
      {"\"3\"+1", "4"},
      {"A1&\"kg\"", "\"10kg\""},
      {"B1&\"\"", "\"2,5\""},
      {"A4&\"x\"", "\"x\""},
      {"A4+1", "1"},
      {"A1=10", "TRUE"},
      {"A1<>10", "FALSE"},
      {"\"abc\"=\"ABC\"", "TRUE"},
      {"\"b\">\"a\"", "TRUE"},
      {"1<\"a\"", "TRUE"},
      {"A1>=A2", "FALSE"},
      {"SUM(A1:A4)", "30"},
      {"SUM(A1:A4,5,B2)", "35"},
      {"SUM(A:A)", "30"},
      {"SUM(1:1)", "12,5"},
      {"SUM(\"x\")", "#VALUE!"},
      {"SUM(Carichi)", "30"},
      {"AVERAGE(A1:A3)", "15"},
      {"AVERAGE(A3:A4)", "#DIV/0!"},
      {"MIN(A1:B2)", "2,5"},
      {"MAX(A1:B2)", "20"},
      {"MAX(A3:A4)", "0"},
      {"COUNT(A1:B4)", "3"},
      {"COUNTA(A1:B4)", "5"},
      {"IF(A1>5,\"alto\",\"basso\")", "\"alto\""},
      {"IF(A1>50,\"alto\")", "FALSE"},
      {"IF(\"x\",1,2)", "#VALUE!"},
      {"IFERROR(1/0,\"-\")", "\"-\""},
      {"IFERROR(A1,\"-\")", "10"},
      {"ROUND(2.675,2)", "2,68"},
      {"ROUND(-2.5,0)", "-3"},
      {"ROUND(1234.5,-2)", "1200"},
      {"ROUNDUP(3.21,1)", "3,3"},
      {"ROUNDUP(-3.21,1)", "-3,3"},
      {"ROUNDDOWN(3.29,1)", "3,2"},
      {"ABS(-4)", "4"},
      {"AND(TRUE,A1>5)", "TRUE"},
      {"AND(A1:A3)", "TRUE"},
      {"OR(FALSE,0)", "FALSE"},
      {"NOT(B2)", "FALSE"},
      {"CONCATENATE(\"Serie \",A1,\"x\",B1)", "\"Serie 10x2,5\""},
      {"TEXT(B1,\"0,00\")", "\"2,50\""},
      {"TEXT(1234.5,\"#.##0,00 \"\"kg\"\"\")", "\"1.234,50 kg\""},
      {"TEXT(DATE(2026,12,9),\"gg mmmm aaaa\")", "\"09 dicembre 2026\""},
      {"TEXT(DATE(2026,12,9),\"dd/mm/yy\")", "\"09/12/26\""},
      {"TEXT(0.75,\"h:mm AM/PM\")", "\"6:00 PM\""},
      {"TODAY()", "46365"},
      {"DATE(2026,12,9)", "46365"},
      {"DATE(2026,13,1)", "46388"},
      {"DATE(26,1,1)", "9498"},
      {"'Settimana 2'!C3*2", "14"},
      {"'Settimana 2'!$C$3+Scheda!A1", "17"},
      {"Nessuno!A1", "#REF!"},
      {"NonEsiste+1", "#NAME?"},
      {"FUNZIONE(1)", "#NAME?"},
      {"#N/A", "#N/A"},
      {"SUM(1,#DIV/0!)", "#DIV/0!"},
      {"1+", "#NAME?"},
      {"INT(-2.5)", "-3"},
      {"MOD(-7,3)", "2"},
      {"MOD(1,0)", "#DIV/0!"},
      {"PRODUCT(A1:B1,2)", "50"},
      {"YEAR(TODAY())*10000+MONTH(TODAY())*100+DAY(TODAY())", "20261209"},
      {"LEN(\"però\")", "4"},
      {"UPPER(\"più forte\")", "\"PIÙ FORTE\""},
      {"LOWER(\"ÀNCORA\")", "\"àncora\""},
      {"TRIM(\"  panca   piana \")", "\"panca piana\""},
      {"LEFT(\"città\",4)&RIGHT(\"città\")", "\"città\""},
      {"COUNTIF(A1:A4,\">=15\")", "1"},
      {"COUNTIF(A1:A4,\"TES*\")", "1"},
      {"COUNTIF(A1:A4,\"<>10\")", "3"},
      {"SUMIF(A1:A3,\">5\")", "30"},
      {"SUMIF(A1:A2,10,B1:B2)", "2,5"},
      {"COUNTIF(5,1)", "#VALUE!"},
      {"ROUND(1)", "#VALUE!"},
      {"TRUE()", "TRUE"},
      {"NOT(FALSE())", "TRUE"},
      {"TODAY(1)", "#VALUE!"},
      {"AND()", "#VALUE!"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(shown(evaluate_formula(wb, 0, {9, 9}, c.formula, opt)), c.expected) << c.formula;
}

TEST(Formula, RecalculationFollowsDependenciesAndMarksChanges) {
  Workbook wb = sample();
  Sheet& s = wb.sheets[0];
  // C1 depends on C2, which depends on C3: written in the reverse of their order.
  s.cell_at({0, 2}).formula = "C2*2";
  s.cell_at({1, 2}).formula = "C3+1";
  s.cell_at({2, 2}).formula = "A1+A2";
  EXPECT_EQ(recalculate(wb, {}), 3u);
  EXPECT_EQ(s.value({0, 2}).number, 62);
  EXPECT_TRUE(s.changed_cells.count({0, 2}));
  s.changed_cells.clear();
  EXPECT_EQ(recalculate(wb, {}), 0u);
  EXPECT_TRUE(s.changed_cells.empty());
}

TEST(Formula, CyclesGiveAnErrorAndEndTheRecalculation) {
  Workbook wb = sample();
  Sheet& s = wb.sheets[0];
  s.cell_at({0, 3}).formula = "D2+1";
  s.cell_at({1, 3}).formula = "D1+1";
  s.cell_at({2, 3}).formula = "D3";
  recalculate(wb, {});
  EXPECT_TRUE(s.value({0, 3}).is_error());
  EXPECT_TRUE(s.value({1, 3}).is_error());
  EXPECT_TRUE(s.value({2, 3}).is_error());
}

TEST(Formula, LongChainsAndLongCyclesDoNotExhaustTheStack) {
  Workbook wb = new_workbook();
  Sheet& s = wb.sheets[0];
  const int n = 5000;
  // Each cell refers to the one below it, so evaluation in sheet order goes deep.
  for (int r = 0; r < n - 1; ++r) s.cell_at({r, 0}).formula = "A" + std::to_string(r + 2) + "+1";
  s.cell_at({n - 1, 0}).value = Value::of_number(1);
  recalculate(wb, {});
  EXPECT_EQ(s.value({0, 0}).number, n);

  for (int r = 0; r < n; ++r) s.cell_at({r, 1}).formula = "B" + std::to_string((r + 1) % n + 1) + "+1";
  recalculate(wb, {});
  EXPECT_TRUE(s.value({0, 1}).is_error());
  EXPECT_TRUE(s.value({n - 1, 1}).is_error());
}

TEST(Formula, LongChainsEvaluateAndDeepNestingIsRefused) {
  Workbook wb = sample();
  std::string chain = "1";
  for (int i = 0; i < 2999; ++i) chain += "+1";
  EXPECT_EQ(evaluate_formula(wb, 0, {9, 9}, chain, {}).number, 3000);
  EXPECT_TRUE(formula_is_valid(std::string(60, '(') + "1" + std::string(60, ')')));
  EXPECT_FALSE(formula_is_valid(std::string(5000, '(') + "1" + std::string(5000, ')')));
  EXPECT_FALSE(formula_is_valid(std::string(100000, '-') + "1"));
  std::string calls;
  for (int i = 0; i < 500; ++i) calls += "ABS(";
  EXPECT_FALSE(formula_is_valid(calls + "1" + std::string(500, ')')));
}

// Runs `work` on a thread with a stack smaller than the browser gives the module.
void on_small_stack(std::function<void()> work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  auto run = [](void* w) -> void* {
    (*static_cast<std::function<void()>*>(w))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, &work), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

TEST(Formula, AHundredThousandTermsFitASmallStack) {
  // Every fourth term of the text adds a letter: a text a cell can hold, and only
  // evaluating all of the terms gives its length.
  std::string sum = "A1", text = "\"a\"", product = "1";
  for (int i = 1; i < 100000; ++i) {
    sum += "+A1";
    text += i % 4 ? "&\"\"" : "&\"a\"";
    product += "*1";
  }
  Value sum_value, text_value, product_value, stored;
  bool typed = false;
  on_small_stack([&] {
    Workbook wb = new_workbook();
    wb.sheets[0].cell_at({0, 0}).value = Value::of_number(2);
    sum_value = evaluate_formula(wb, 0, {5, 5}, sum, {});
    text_value = evaluate_formula(wb, 0, {5, 5}, text, {});
    product_value = evaluate_formula(wb, 0, {5, 5}, product, {});
    // Typed into a cell, and recalculated with the workbook.
    Editor editor(wb, {});
    typed = editor.set_input(0, {1, 0}, "=" + sum);
    wb.sheets[0].cell_at({2, 0}).formula = product;
    recalculate(wb, {});
    stored = wb.sheets[0].value({1, 0});
  });
  EXPECT_DOUBLE_EQ(sum_value.number, 200000);
  EXPECT_EQ(text_value.text.size(), 25000u);
  EXPECT_DOUBLE_EQ(product_value.number, 1);
  EXPECT_TRUE(typed);
  EXPECT_DOUBLE_EQ(stored.number, 200000);
}

// A formula's text never grows past what a cell holds: the saved card must open again.
TEST(Formula, TextResultsLongerThanACellHoldsAreAnError) {
  Workbook wb = sample();
  wb.sheets[0].cell_at({5, 0}).value = Value::of_text(std::string(20000, 'x'));
  RecalcOptions opt{date_serial(2026, 12, 9)};
  for (const char* f : {"A6&A6", "CONCATENATE(A6,A6)", "TEXT(A6,\"@@\")"})
    EXPECT_EQ(shown(evaluate_formula(wb, 0, {9, 9}, f, opt)), "#VALUE!") << f;
  EXPECT_EQ(shown(evaluate_formula(wb, 0, {9, 9}, "LEN(A6&LEFT(A6,12767))", opt)), "32767");
  // LEFT and RIGHT of a long text keep every character they take.
  EXPECT_EQ(shown(evaluate_formula(wb, 0, {9, 9}, "LEN(RIGHT(A6,15000))&LEFT(RIGHT(A6,9),1)", opt)), "\"15000x\"");
}

TEST(Formula, ShiftMovesRelativeReferencesOnly) {
  EXPECT_EQ(shift_formula("A1+$B$2+C$3+$D4", 2, 1), "B3+$B$2+D$3+$D6");
  EXPECT_EQ(shift_formula("SUM('Settimana 2'!A1:A3)*2", 1, 0), "SUM('Settimana 2'!A2:A4)*2");
  EXPECT_EQ(shift_formula("\"A1\"&A1", 1, 0), "\"A1\"&A2");
  EXPECT_EQ(shift_formula("A1", -1, 0), "#REF!");
  EXPECT_EQ(shift_formula("SUM(B:B)", 3, 1), "SUM(C:C)");
}

TEST(Formula, TypedItalianFormulasBecomeFileSyntax) {
  EXPECT_EQ(formula_from_input("SOMMA(A1;A2)"), "SUM(A1,A2)");
  EXPECT_EQ(formula_from_input("se(A1>1,5;\"sì\";\"no\")"), "IF(A1>1.5,\"sì\",\"no\")");
  EXPECT_EQ(formula_from_input("ARROTONDA(B2*1,1;0)"), "ROUND(B2*1.1,0)");
  EXPECT_EQ(formula_from_input("A1*1,5"), "A1*1.5");
  EXPECT_EQ(formula_from_input("SUM(A1,2.5)"), "SUM(A1,2.5)");
  EXPECT_EQ(formula_from_input("E(VERO;FALSO)"), "AND(TRUE,FALSE)");
  EXPECT_EQ(formula_from_input("CONTA.SE(A1:A9;\">80\")"), "COUNTIF(A1:A9,\">80\")");
  EXPECT_EQ(formula_from_input("MEDIA(Scheda!A1:A3)&\";\""), "AVERAGE(Scheda!A1:A3)&\";\"");
}

// Each function in the table reads by both names, reaches its implementation, and
// refuses one argument too few or too many.
TEST(Formula, EveryTabledFunctionReadsByBothNamesAndIsComputed) {
  Workbook wb = sample();
  RecalcOptions opt{date_serial(2026, 12, 9)};
  auto call = [](std::string_view name, std::size_t count, char separator) {
    std::string text(name);
    text += '(';
    for (std::size_t i = 0; i < count; ++i) text += i ? std::string(1, separator) + "1" : "1";
    return text + ')';
  };
  ASSERT_GT(formula::functions().size(), 30u);
  for (const formula::Function& f : formula::functions()) {
    const std::string english = call(f.name, f.min_args, ',');
    EXPECT_EQ(formula_from_input(call(f.italian, f.min_args, ';')), english) << f.italian;
    EXPECT_EQ(formula_from_input(english), english) << f.name;
    EXPECT_TRUE(formula_is_valid(english)) << english;
    EXPECT_NE(shown(evaluate_formula(wb, 0, {9, 9}, english, opt)), "#NAME?") << english;
    if (f.min_args > 0) {
      EXPECT_EQ(shown(evaluate_formula(wb, 0, {9, 9}, call(f.name, f.min_args - 1, ','), opt)), "#VALUE!") << f.name;
    }
    if (f.max_args != formula::Function::kAny) {
      EXPECT_EQ(shown(evaluate_formula(wb, 0, {9, 9}, call(f.name, f.max_args + 1, ','), opt)), "#VALUE!") << f.name;
    }
    // An Italian name never stands for another function's file name.
    const formula::Function* same = formula::function_named(f.italian);
    EXPECT_TRUE(same == nullptr || same == &f) << f.italian;
    EXPECT_EQ(formula::function_named_italian(f.italian), &f) << f.italian;
  }
}

TEST(Formula, DatesOfThe1900System) {
  EXPECT_EQ(date_serial(1900, 1, 1), 1);
  EXPECT_EQ(date_serial(1900, 2, 28), 59);
  EXPECT_EQ(date_serial(1900, 3, 1), 61);
  EXPECT_EQ(date_serial(2024, 2, 29), 45351);
  int y, m, d;
  ASSERT_TRUE(serial_to_date(60, y, m, d));
  EXPECT_EQ(m * 100 + d, 229);
  ASSERT_TRUE(serial_to_date(46365, y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 20261209);
  EXPECT_FALSE(serial_to_date(-1, y, m, d));
}

}  // namespace
}  // namespace stilaro
