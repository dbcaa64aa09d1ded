#include "view/controller.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "card_fixtures.h"
#include "core/formula.h"
#include "core/xlsx_reader.h"
#include "core/zip.h"
#include "view/display_list.h"
#include "view/painter.h"

namespace stilaro::view {
namespace {

const double kToday = date_serial(2026, 12, 9);

class ControllerTest : public ::testing::Test {
 protected:
  void open(const std::string& name) {
    ASSERT_EQ(c.open(fixture(name), kToday), "");
    c.resize(1320, 880);
  }
  void type(const std::string& text) {
    c.input(text, static_cast<std::int32_t>(text.size()));
  }
  Value value(CellAddress a) const { return c.workbook().sheets[c.sheet()].value(a); }
  Controller c;
};

TEST_F(ControllerTest, BrokenFilesAnswerAnErrorAndKeepNothingOpen) {
  for (const char* name : {"broken-not-zip.xlsx", "broken-truncated.xlsx", "broken-no-workbook.xlsx",
                           "broken-central-directory.xlsx"}) {
    Controller fresh;
    EXPECT_NE(fresh.open(fixture(name), kToday), "") << name;
    EXPECT_FALSE(fresh.has_workbook()) << name;
  }
  // An empty file is a new workbook.
  Controller empty;
  EXPECT_EQ(empty.open({}, kToday), "");
  EXPECT_EQ(empty.workbook().sheets.size(), 1u);
}

TEST_F(ControllerTest, TypingThenEnterStoresTheValueAndMovesDown) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("E20"));
  const auto before = c.revision();
  type("82,5");
  EXPECT_EQ(c.edit_mode(), EditMode::enter);
  EXPECT_TRUE(c.edit_changed());
  const std::uint32_t flags = c.key(Key::enter, 0);
  EXPECT_TRUE(flags & kChanged);
  EXPECT_TRUE(flags & kHandled);
  EXPECT_TRUE(flags & kEditEnd);
  EXPECT_EQ(c.edit_mode(), EditMode::none);
  EXPECT_DOUBLE_EQ(value({19, 4}).number, 82.5);
  EXPECT_EQ(c.state().active, (CellAddress{20, 4}));
  EXPECT_GT(c.revision(), before);

  // Tab moves right, an arrow closes typed-over text too.
  type("10");
  c.key(Key::tab, 0);
  EXPECT_EQ(c.state().active, (CellAddress{20, 5}));
  type("x");
  c.key(Key::up, 0);
  EXPECT_EQ(value({20, 5}).text, "x");
  EXPECT_EQ(c.state().active, (CellAddress{19, 5}));
}

TEST_F(ControllerTest, EnterAfterARunOfTabsReturnsUnderItsFirstCell) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("L5"));
  type("80");
  c.key(Key::tab, 0);
  type("8");
  c.key(Key::tab, 0);
  type("3");
  c.key(Key::enter, 0);
  EXPECT_DOUBLE_EQ(value({4, 13}).number, 3);
  EXPECT_EQ(c.state().active, (CellAddress{5, 11}));
  // Without typing, and with a step back, the run still begins at L.
  c.key(Key::tab, 0);
  c.key(Key::tab, 0);
  c.key(Key::tab, kShift);
  c.key(Key::enter, 0);
  EXPECT_EQ(c.state().active, (CellAddress{6, 11}));
  // A run broken by another move is forgotten: Enter goes straight down.
  c.key(Key::tab, 0);
  c.key(Key::down, 0);
  c.key(Key::enter, 0);
  EXPECT_EQ(c.state().active, (CellAddress{8, 12}));
}

TEST_F(ControllerTest, ArrowsAndClicksPointAtCellsWhileAFormulaIsTyped) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("L2"));
  type("10");
  c.key(Key::enter, 0);
  type("20");
  c.key(Key::enter, 0);
  // In L4: "=", two steps up give L2; "+" then a click on L3; Enter stores the sum.
  type("=");
  EXPECT_TRUE(c.key(Key::up, 0) & kEditSync);
  c.key(Key::up, 0);
  EXPECT_EQ(c.edit_text(), "=L2");
  EXPECT_EQ(c.state().active, (CellAddress{3, 11}));
  type("=L2+");
  const Rect l3 = c.layout().cell_rect({2, 11});
  EXPECT_TRUE(c.pointer(PointerKind::down, l3.x + 3, l3.y + 3, 0, 1) & kEditSync);
  c.pointer(PointerKind::up, l3.x + 3, l3.y + 3, 0, 0);
  EXPECT_EQ(c.edit_text(), "=L2+L3");
  EXPECT_EQ(c.edit_caret(), 6);
  c.key(Key::enter, 0);
  EXPECT_EQ(c.workbook().sheets[0].cell({3, 11})->formula, "L2+L3");
  EXPECT_DOUBLE_EQ(value({3, 11}).number, 30);
  // Shift+arrows and a drag make ranges; after a reference, arrows no longer point.
  type("=SOMMA(");
  c.key(Key::up, 0);
  c.key(Key::up, kShift);
  c.key(Key::up, kShift);
  EXPECT_EQ(c.edit_text(), "=SOMMA(L2:L4");
  type("=SOMMA(L2:L4)+");
  const Rect l2 = c.layout().cell_rect({1, 11});
  c.pointer(PointerKind::down, l2.x + 3, l2.y + 3, 0, 1);
  c.pointer(PointerKind::move, l3.x + 3, l3.y + 3, 0, 0);
  c.pointer(PointerKind::up, l3.x + 3, l3.y + 3, 0, 0);
  EXPECT_EQ(c.edit_text(), "=SOMMA(L2:L4)+L2:L3");
  type("=SOMMA(L2:L4)+1");
  EXPECT_EQ(c.key(Key::left, 0) & kEditSync, 0u);
  EXPECT_DOUBLE_EQ(value({4, 11}).number, 61);
  // Outside a formula an arrow still closes the cell.
  type("testo");
  c.key(Key::right, 0);
  EXPECT_EQ(value({4, 10}).text, "testo");
  EXPECT_EQ(c.state().active, (CellAddress{4, 11}));
}

TEST_F(ControllerTest, EscapeLeavesTheCellAsItWas) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("A1"));
  const Value old = value({0, 0});
  const auto before = c.revision();
  type("sbagliato");
  EXPECT_TRUE(c.key(Key::escape, 0) & kEditEnd);
  EXPECT_EQ(value({0, 0}), old);
  EXPECT_EQ(c.revision(), before);
  EXPECT_FALSE(c.edit_changed());
}

TEST_F(ControllerTest, F2EditsInPlaceWithCaretKeysLeftToTheField) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("A1"));
  EXPECT_TRUE(c.key(Key::f2, 0) & kEditSync);
  EXPECT_EQ(c.edit_text(), "ATLETA: MARIO ROSSI");
  EXPECT_FALSE(c.edit_changed());
  EXPECT_EQ(c.key(Key::left, 0), 0u);  // the caret moves in the field
  EXPECT_EQ(c.key(Key::home, 0), 0u);
  // Alt+Enter breaks the line at the caret.
  c.caret(6);
  EXPECT_TRUE(c.key(Key::enter, kAlt) & kEditSync);
  EXPECT_EQ(c.edit_text(), "ATLETA\n: MARIO ROSSI");
  EXPECT_EQ(c.edit_caret_utf16(), 7);
  c.key(Key::enter, 0);
  EXPECT_EQ(value({0, 0}).text, "ATLETA\n: MARIO ROSSI");
}

TEST_F(ControllerTest, CaretCountsUtf16UnitsOfTheField) {
  open("simple.xlsx");
  type("è😀x");
  c.caret(3);  // after è (1 unit) and the emoji (2 units)
  EXPECT_EQ(c.edit_caret(), 2 + 4);
  EXPECT_EQ(c.edit_caret_utf16(), 3);
}

TEST_F(ControllerTest, InvalidFormulaStaysOpenUntilCommitGivesItUp) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("L1"));
  type("=SUM(");
  c.key(Key::enter, 0);
  EXPECT_EQ(c.edit_mode(), EditMode::enter);
  EXPECT_FALSE(c.message().empty());
  EXPECT_TRUE(c.commit() & kEditEnd);
  EXPECT_EQ(c.edit_mode(), EditMode::none);
  EXPECT_TRUE(value({0, 11}).is_empty());

  type("=SOMMA(2;3)");
  EXPECT_TRUE(c.commit() & kChanged);
  EXPECT_DOUBLE_EQ(value({0, 11}).number, 5);
}

TEST_F(ControllerTest, GoToPutsTheCellAtTheTopLeft) {
  open("year-card.xlsx");
  ASSERT_TRUE(c.go_to("B215"));
  EXPECT_EQ(c.state().active, (CellAddress{214, 1}));
  const Layout l = c.layout();
  EXPECT_EQ(l.first_row(), 214);
  EXPECT_EQ(l.first_col(), 1);
  EXPECT_DOUBLE_EQ(l.row_y(214), l.grid().y);

  ASSERT_TRUE(c.go_to("A1:C3"));
  EXPECT_EQ(c.selection(), (CellRange{{0, 0}, {2, 2}}));
  ASSERT_TRUE(c.go_to("'Scheda annuale'!D10"));
  EXPECT_EQ(c.state().active, (CellAddress{9, 3}));
  EXPECT_FALSE(c.go_to("Foglio inesistente!A1"));
  EXPECT_FALSE(c.go_to("nome che non c'è"));
}

TEST_F(ControllerTest, GoToACellHiddenByAMergeSelectsTheMergesFirstCell) {
  open("year-card.xlsx");
  ASSERT_NE(c.workbook().sheets[0].merge_at({5, 4}), nullptr);  // E6 lies inside A6:Y6
  ASSERT_TRUE(c.go_to("E6"));
  EXPECT_EQ(c.state().active, (CellAddress{5, 0}));
  EXPECT_EQ(c.selection(), (CellRange{{5, 0}, {5, 24}}));
  type("settimana");
  c.key(Key::enter, 0);
  EXPECT_EQ(value({5, 0}).text, "settimana");
  EXPECT_TRUE(value({5, 4}).is_empty());
  // A range starting inside a merge starts at the merge.
  ASSERT_TRUE(c.go_to("C6:C8"));
  EXPECT_EQ(c.state().active, (CellAddress{5, 0}));
  EXPECT_EQ(c.selection().first, (CellAddress{5, 0}));
}

TEST_F(ControllerTest, GoToFieldTakesTypingAndEnter) {
  open("year-card.xlsx");
  const Rect name = c.layout().name_box();
  EXPECT_TRUE(c.pointer(PointerKind::down, name.x + 5, name.y + 5, 0, 1) & kEditSync);
  EXPECT_EQ(c.edit_mode(), EditMode::go_to);
  EXPECT_EQ(c.field_box().x, name.x);
  type("A618");
  c.key(Key::enter, 0);
  EXPECT_EQ(c.edit_mode(), EditMode::none);
  EXPECT_EQ(c.state().active, (CellAddress{617, 0}));
  // A name that means nothing says so and changes nothing.
  c.pointer(PointerKind::down, name.x + 5, name.y + 5, 0, 1);
  type("zzz!!");
  c.key(Key::enter, 0);
  EXPECT_EQ(c.state().active, (CellAddress{617, 0}));
  EXPECT_NE(c.message().find("zzz!!"), std::string::npos);
  // Ctrl+G opens the same field from the keyboard.
  EXPECT_TRUE(c.key(Key::go_to, kCtrl) & kEditSync);
  EXPECT_EQ(c.edit_mode(), EditMode::go_to);
}

TEST_F(ControllerTest, MouseSelectsDragsAndDoubleClickEdits) {
  open("simple.xlsx");
  const Layout l = c.layout();
  const Rect b2 = l.cell_rect({1, 1});
  const Rect d5 = l.cell_rect({4, 3});
  c.pointer(PointerKind::down, b2.x + 2, b2.y + 2, 0, 1);
  c.pointer(PointerKind::move, d5.x + 2, d5.y + 2, 0, 0);
  c.pointer(PointerKind::up, d5.x + 2, d5.y + 2, 0, 0);
  EXPECT_EQ(c.selection(), (CellRange{{1, 1}, {4, 3}}));
  c.pointer(PointerKind::move, b2.x + 2, b2.y + 2, 0, 0);  // no button: nothing changes
  EXPECT_EQ(c.selection(), (CellRange{{1, 1}, {4, 3}}));
  const Rect a1 = l.cell_rect({0, 0});
  EXPECT_TRUE(c.pointer(PointerKind::down, a1.x + 2, a1.y + 2, 0, 2) & kEditSync);
  EXPECT_EQ(c.edit_mode(), EditMode::edit);
  EXPECT_EQ(c.edit_text(), "ATLETA: MARIO ROSSI");
}

TEST_F(ControllerTest, DeleteUndoRedo) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("A1:A3"));
  EXPECT_TRUE(c.key(Key::del, 0) & kChanged);
  EXPECT_TRUE(value({0, 0}).is_empty());
  EXPECT_TRUE(value({2, 0}).is_empty());
  const auto after_delete = c.revision();
  EXPECT_TRUE(c.key(Key::undo, kCtrl) & kChanged);
  EXPECT_EQ(value({0, 0}).text, "ATLETA: MARIO ROSSI");
  EXPECT_GT(c.revision(), after_delete);  // an undo is a change to save too
  c.key(Key::redo, kCtrl);
  EXPECT_TRUE(value({0, 0}).is_empty());
}

TEST_F(ControllerTest, CopyAndPasteTabSeparatedText) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("A1:A2"));
  EXPECT_EQ(c.copy(), "ATLETA: MARIO ROSSI\r\nPERSONAL COACH: LUCA BIANCHI\r\n");
  ASSERT_TRUE(c.go_to("L5"));
  EXPECT_TRUE(c.paste("1\t2\n3\t4") & kChanged);
  EXPECT_DOUBLE_EQ(value({4, 11}).number, 1);
  EXPECT_DOUBLE_EQ(value({5, 12}).number, 4);
  EXPECT_EQ(c.selection(), (CellRange{{4, 11}, {5, 12}}));
  std::string cut;
  EXPECT_TRUE(c.cut(cut) & kChanged);
  EXPECT_NE(cut.find('4'), std::string::npos);
  EXPECT_TRUE(value({5, 12}).is_empty());
}

TEST_F(ControllerTest, CopiedFormulasPasteAsFormulasWithTheirReferencesMoved) {
  open("simple.xlsx");
  ASSERT_TRUE(c.go_to("L2"));
  for (const char* typed : {"40", "50", "60", "=SUM(L2:L4)", "=$L$5*2"}) {
    type(typed);
    c.key(Key::enter, 0);
  }
  ASSERT_TRUE(c.go_to("L5:L6"));
  const std::string copied = c.copy();
  EXPECT_EQ(copied, "150\r\n300\r\n");  // other programs get the values
  ASSERT_TRUE(c.go_to("M5"));
  EXPECT_TRUE(c.paste("150\n300\n") & kChanged);  // line ends as a clipboard may give them back
  const Sheet& sheet = c.workbook().sheets[0];
  EXPECT_EQ(sheet.cell({4, 12})->formula, "SUM(M2:M4)");
  EXPECT_EQ(sheet.cell({5, 12})->formula, "$L$5*2");
  EXPECT_DOUBLE_EQ(value({4, 12}).number, 0);
  // The pasted formula follows its new neighbours, and one undo takes the paste back.
  ASSERT_TRUE(c.go_to("M2"));
  type("7");
  c.commit();
  EXPECT_DOUBLE_EQ(value({4, 12}).number, 7);
  c.key(Key::undo, kCtrl);
  c.key(Key::undo, kCtrl);
  EXPECT_EQ(sheet.cell({4, 12}), nullptr);
  // Text from elsewhere still pastes as typed values.
  ASSERT_TRUE(c.go_to("N5"));
  c.paste("=L2");
  EXPECT_EQ(sheet.cell({4, 13})->formula, "L2");
  ASSERT_TRUE(c.go_to("N6"));
  c.paste("150");
  EXPECT_FALSE(sheet.cell({5, 13})->has_formula());
  // A cut moves formulas without changing what they refer to.
  ASSERT_TRUE(c.go_to("L5"));
  std::string cut;
  c.cut(cut);
  ASSERT_TRUE(c.go_to("P9"));
  c.paste(cut);
  EXPECT_EQ(sheet.cell({8, 15})->formula, "SUM(L2:L4)");
}

TEST_F(ControllerTest, WholeColumnsAndTheWholeSheetCopyOnlyWhatIsWritten) {
  open("simple.xlsx");
  const Layout l = c.layout();
  const Rect grid = l.grid();
  // The corner selects everything; copying stays within the written cells.
  c.pointer(PointerKind::down, 5, grid.y - 5, 0, 1);
  EXPECT_EQ(c.selection(), (CellRange{{0, 0}, {kMaxRows - 1, kMaxColumns - 1}}));
  const std::string all = c.copy();
  const CellAddress used = c.workbook().sheets[0].used_extent();
  EXPECT_EQ(static_cast<std::int32_t>(std::count(all.begin(), all.end(), '\n')), used.row + 1);
  // A whole column deleted, then undone in one step.
  c.pointer(PointerKind::down, l.col_x(0) + 5, grid.y - 5, 0, 1);
  EXPECT_EQ(c.selection(), (CellRange{{0, 0}, {kMaxRows - 1, 0}}));
  c.key(Key::del, 0);
  EXPECT_TRUE(value({0, 0}).is_empty());
  c.key(Key::undo, kCtrl);
  EXPECT_EQ(value({0, 0}).text, "ATLETA: MARIO ROSSI");
}

TEST_F(ControllerTest, KeysMoveAndExtendTheSelection) {
  open("year-card.xlsx");
  ASSERT_TRUE(c.go_to("B10"));
  c.key(Key::right, kShift);
  c.key(Key::down, kShift);
  EXPECT_EQ(c.selection(), (CellRange{{9, 1}, {10, 2}}));
  c.key(Key::home, 0);
  EXPECT_EQ(c.state().active, (CellAddress{10, 0}));
  c.key(Key::home, kCtrl);
  EXPECT_EQ(c.state().active, (CellAddress{0, 0}));
  c.key(Key::end, kCtrl);
  EXPECT_EQ(c.state().active, c.workbook().sheets[0].used_extent());
  c.key(Key::home, kCtrl);
  const std::int32_t page = c.layout().page_rows();
  c.key(Key::page_down, 0);
  EXPECT_EQ(c.state().active.row, page);
  EXPECT_GT(c.layout().first_row(), 0);
  // Ctrl+arrow through empty cells stops at the edge of what is written.
  ASSERT_TRUE(c.go_to("Z50"));
  c.key(Key::up, kCtrl);
  EXPECT_EQ(c.state().active, (CellAddress{0, 25}));
  c.key(Key::down, kCtrl);
  EXPECT_EQ(c.state().active, (CellAddress{627, 25}));
  // Within written cells it stops at the block's end: A9 starts the week's exercises.
  ASSERT_TRUE(c.go_to("A9"));
  c.key(Key::down, kCtrl);
  EXPECT_EQ(c.state().active, (CellAddress{15, 0}));
}

TEST_F(ControllerTest, ScrollAndZoomStayInBounds) {
  open("simple.xlsx");
  c.scroll(-500, -500);
  EXPECT_DOUBLE_EQ(c.state().scroll_x, 0);
  EXPECT_DOUBLE_EQ(c.state().scroll_y, 0);
  c.scroll(0, 400);
  EXPECT_DOUBLE_EQ(c.state().scroll_y, 400);
  for (int i = 0; i < 40; ++i) c.zoom(1.5, 600, 400);
  EXPECT_DOUBLE_EQ(c.state().zoom, 4);
  for (int i = 0; i < 40; ++i) c.zoom(0.5, 600, 400);
  EXPECT_DOUBLE_EQ(c.state().zoom, 0.25);
}

TEST_F(ControllerTest, ScrollBarsFollowTheWrittenPartAsItChanges) {
  open("simple.xlsx");
  const double before = c.layout().vertical().travel;
  ASSERT_TRUE(c.go_to("B900"));
  type("lontano");
  c.key(Key::enter, 0);
  const double grown = c.layout().vertical().travel;
  EXPECT_GT(grown, before + 800 * 15);
  c.key(Key::undo, 2);
  ASSERT_TRUE(c.go_to("A1"));
  EXPECT_LT(c.layout().vertical().travel, grown);
}

TEST_F(ControllerTest, ScrollBarThumbDragsAndTrackPages) {
  open("year-card.xlsx");
  const ScrollBar bar = c.layout().vertical();
  ASSERT_GT(bar.travel, 0);
  ASSERT_LT(bar.thumb.h, bar.track.h);
  const double x = bar.thumb.x + 2, y = bar.thumb.y + 5;
  EXPECT_EQ(c.layout().hit(x, y).area, Area::vscroll);
  // Dragging the thumb to the end of its track shows the end of the card.
  c.pointer(PointerKind::down, x, y, 0, 1);
  c.pointer(PointerKind::move, x, y + (bar.track.h - bar.thumb.h), 0, 0);
  c.pointer(PointerKind::up, x, y + (bar.track.h - bar.thumb.h), 0, 0);
  EXPECT_NEAR(c.state().scroll_y, bar.travel, 1e-6);
  EXPECT_GE(c.layout().last_row(), 627);
  EXPECT_EQ(c.state().active, (CellAddress{0, 0}));  // the selection stays
  // A press on the track above the thumb goes back one page.
  const double before = c.state().scroll_y;
  const ScrollBar now = c.layout().vertical();
  c.pointer(PointerKind::down, x, now.track.y + 2, 0, 1);
  c.pointer(PointerKind::up, x, now.track.y + 2, 0, 0);
  EXPECT_NEAR(c.state().scroll_y, before - now.track.h, 1e-6);
}

TEST_F(ControllerTest, SavedBytesReopenWithTheEdits) {
  open("two-workouts.xlsx");
  ASSERT_TRUE(c.go_to("E9"));
  type("77");
  c.commit();
  const auto bytes = c.save();
  auto reread = read_xlsx(bytes);
  ASSERT_TRUE(reread.workbook) << reread.error;
  EXPECT_DOUBLE_EQ(reread.workbook->sheets[0].value({8, 4}).number, 77);
}

TEST_F(ControllerTest, SheetTabsSwitchAndKeepEachSheetsPlace) {
  open("libreoffice-multisheet.xlsx");
  ASSERT_EQ(c.sheet(), 1);
  ASSERT_TRUE(c.go_to("C7"));
  const Layout l = c.layout();
  const Rect first = l.tab_boxes().at(0).box;
  c.pointer(PointerKind::down, first.x + 4, first.y + 4, 0, 1);
  EXPECT_EQ(c.sheet(), 0);
  ASSERT_TRUE(c.go_to("'Scheda'!A1"));
  EXPECT_EQ(c.sheet(), 1);
  EXPECT_EQ(c.state().active, (CellAddress{0, 0}));
}

// A workbook with an auto-filter, frozen panes and a defined name, made in memory.
TEST(ControllerModel, FilterMenuHidesRowsByValue) {
  Controller c;
  ASSERT_EQ(c.open({}, kToday), "");
  c.resize(1000, 700);
  const char* rows[] = {"PANCA", "SQUAT", "PANCA", "STACCO"};
  ASSERT_TRUE(c.go_to("A1"));
  c.input("ESERCIZIO", 9);
  c.key(Key::enter, 0);
  for (const char* r : rows) {
    c.input(r, static_cast<std::int32_t>(std::string(r).size()));
    c.key(Key::enter, 0);
  }
  auto& wb = const_cast<Workbook&>(c.workbook());
  wb.sheets[0].auto_filter = AutoFilter{{{0, 0}, {4, 0}}, {}};
  const Layout l = c.layout();
  const Rect button = l.filter_button({0, 0});
  c.pointer(PointerKind::down, button.x + 2, button.y + 2, 0, 1);
  ASSERT_TRUE(c.filter_menu().has_value());
  const auto& menu = *c.filter_menu();
  ASSERT_EQ(menu.values, (std::vector<std::string>{"PANCA", "SQUAT", "STACCO"}));
  // Untick PANCA (first value line) and press OK.
  const double top = menu.box.y + 6;
  c.pointer(PointerKind::down, menu.box.x + 20, top + 22 + 5, 0, 1);
  EXPECT_FALSE(c.filter_menu()->shown[0]);
  const double ok_y = top + 22 * 4 + 6 + 10;
  EXPECT_TRUE(c.pointer(PointerKind::down, menu.box.x + 20, ok_y, 0, 1) & kChanged);
  EXPECT_FALSE(c.filter_menu().has_value());
  EXPECT_TRUE(c.workbook().sheets[0].row_hidden(1));
  EXPECT_FALSE(c.workbook().sheets[0].row_hidden(2));
  EXPECT_TRUE(c.geometry().rows.hidden(3));
  // The painter draws the filtered sheet without trouble.
  DisplayList list;
  paint(c, list);
  EXPECT_FALSE(list.words().empty());
}

// The year card with its sheet view replaced: what a program that saved it scrolled leaves.
std::vector<std::uint8_t> year_card_with_view(const std::string& view) {
  const std::vector<std::uint8_t> card = fixture("year-card.xlsx");
  zip::Archive archive;
  EXPECT_EQ(zip::read_archive(card, archive), zip::ReadError::None);
  zip::Writer w;
  for (const zip::Entry& e : archive.entries) {
    if (e.name != "xl/worksheets/sheet1.xml") {
      w.copy(card, e);
      continue;
    }
    std::string xml = zip::extract(card, e).value_or("");
    const std::size_t from = xml.find("<sheetView "), to = xml.find("</sheetView>");
    EXPECT_NE(to, std::string::npos);
    xml.replace(from, to + 12 - from, view);
    w.add(e.name, xml, e.time, e.date);
  }
  return w.finish();
}

TEST(ControllerModel, OpensWhereTheFileWasScrolled) {
  Controller c;
  ASSERT_EQ(c.open(year_card_with_view("<sheetView workbookViewId=\"0\" topLeftCell=\"C40\"/>"), kToday), "");
  c.resize(1320, 880);
  EXPECT_EQ(c.layout().first_row(), 39);
  EXPECT_EQ(c.layout().first_col(), 2);
  EXPECT_DOUBLE_EQ(c.state().scroll_y, c.geometry().rows.position(39));
  // Frozen rows with the scrolling part starting right under them: nothing scrolled.
  ASSERT_EQ(c.open(year_card_with_view("<sheetView workbookViewId=\"0\"><pane ySplit=\"8\" topLeftCell=\"A9\" "
                                       "activePane=\"bottomLeft\" state=\"frozen\"/></sheetView>"),
                   kToday),
            "");
  EXPECT_DOUBLE_EQ(c.state().scroll_y, 0);
  EXPECT_EQ(c.layout().first_row(), 8);
}

TEST(ControllerModel, RevisionsKeepGrowingAcrossWorkbooks) {
  Controller c;
  ASSERT_EQ(c.open({}, kToday), "");
  c.input("1", 1);
  c.commit();
  const auto first = c.revision();
  ASSERT_EQ(c.open({}, kToday), "");
  EXPECT_GT(c.revision(), first);  // a save of the old workbook can never pass for the new one
}

}  // namespace
}  // namespace stilaro::view
