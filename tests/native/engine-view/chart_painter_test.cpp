#include "view/chart_painter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "card_fixtures.h"
#include "core/formula.h"
#include "core/xlsx_reader.h"
#include "view/conditional_look.h"
#include "view/controller.h"
#include "view/painter.h"

namespace stilaro::view {
namespace {

TEST(Charts, TheCardsChartsAreReadWithKindTitlesAnchorsAndReferences) {
  const Workbook wb = drawn_card();
  const auto& charts = wb.sheets[0].charts;
  ASSERT_EQ(charts.size(), 4u);
  EXPECT_EQ(charts[0].kind, Chart::Kind::Line);
  EXPECT_EQ(charts[1].kind, Chart::Kind::Column);
  EXPECT_EQ(charts[2].kind, Chart::Kind::Pie);
  EXPECT_EQ(charts[3].kind, Chart::Kind::Scatter);
  EXPECT_EQ(charts[0].title, "Carichi per settimana");
  EXPECT_EQ(charts[0].x_title, "Settimana");
  EXPECT_EQ(charts[0].y_title, "kg");
  EXPECT_TRUE(charts[0].legend);
  EXPECT_EQ(charts[0].anchor.from, (CellAddress{1, 10}));  // K2
  EXPECT_DOUBLE_EQ(charts[0].anchor.width, 5760000);
  ASSERT_EQ(charts[0].series.size(), 4u);
  EXPECT_EQ(charts[0].series[1].values, "'Scheda'!$B$3:$G$3");
  EXPECT_FALSE(charts[3].series[0].line);
  EXPECT_EQ(charts[3].series[0].name, "Carico");  // a literal name, not a reference
}

TEST(Charts, SeriesTakeTheirNamesAndNumbersFromTheCellsAsTheyAreNow) {
  Workbook wb = drawn_card();
  const Chart& line = wb.sheets[0].charts[0];
  auto data = chart_data(wb, 0, line);
  ASSERT_EQ(data.size(), 4u);
  EXPECT_EQ(data[1].name, "Squat");
  EXPECT_EQ(data[1].categories, (std::vector<std::string>{"SETT 1", "SETT 2", "SETT 3", "SETT 4", "SETT 5", "SETT 6"}));
  EXPECT_EQ(data[1].values[5], 100);
  EXPECT_NE(data[0].colour, data[1].colour);  // the palette goes round
  wb.sheets[0].cell_at({2, 6}).value = Value::of_number(105);
  wb.sheets[0].cell_at({2, 3}).value = Value::empty();
  data = chart_data(wb, 0, line);
  EXPECT_EQ(data[1].values[5], 105);
  EXPECT_FALSE(data[1].values[2].has_value());  // a gap, not a zero
  // The column chart sums the loads through the volume formulas.
  recalculate(wb, {});
  EXPECT_EQ(chart_data(wb, 0, wb.sheets[0].charts[1])[0].values[5], 60 + 105 + 120 + 42.5);
  const auto scatter = chart_data(wb, 0, wb.sheets[0].charts[3]);
  EXPECT_EQ(scatter[0].xs, (std::vector<std::optional<double>>{8, 6, 5, 10}));  // reps across
  EXPECT_EQ(scatter[0].values[0], 60);
}

TEST(Charts, AxisScalesAreRoundAndKeepZero) {
  const AxisScale loads = axis_scale(30, 120);
  EXPECT_DOUBLE_EQ(loads.min, 0);
  EXPECT_DOUBLE_EQ(loads.step, 20);
  EXPECT_DOUBLE_EQ(loads.max, 140);  // 120 kg would touch the frame
  const AxisScale small = axis_scale(0.2, 0.9);
  EXPECT_DOUBLE_EQ(small.step, 0.2);
  EXPECT_DOUBLE_EQ(small.max, 1.0);
  const AxisScale negative = axis_scale(-7, -3);
  EXPECT_DOUBLE_EQ(negative.min, -8);
  EXPECT_DOUBLE_EQ(negative.max, 0);
  const AxisScale flat = axis_scale(0, 0);  // nothing but zeros still gets an axis
  EXPECT_GT(flat.max, flat.min);
}

TEST(Charts, ChartsStandAtTheirAnchorsAndScrollWithTheSheet) {
  Controller c;
  ASSERT_EQ(c.open(fixture("drawn-card.xlsx"), 0), "");
  c.resize(1320, 880);
  const Layout before = c.layout();
  const Chart& line = c.workbook().sheets[0].charts[0];
  const Rect box = chart_box(line, before, 1);
  EXPECT_DOUBLE_EQ(box.x, before.col_x(10));
  EXPECT_DOUBLE_EQ(box.y, before.row_y(1));
  EXPECT_NEAR(box.w, 5760000 / 9525.0, 1e-9);
  c.scroll(0, 60);
  const Rect after = chart_box(line, c.layout(), 1);
  EXPECT_DOUBLE_EQ(after.x, box.x);
  EXPECT_LT(after.y, box.y);
  // The frame shows the chart's title and legend, and its series as paths.
  DisplayList d;
  paint(c, d);
  const auto& w = d.words();
  std::size_t paths = 0;
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < w.size();) {
    switch (static_cast<Op>(w[i])) {
      case Op::rect: i += 6; break;
      case Op::line: i += 8; break;
      case Op::text: texts.push_back(d.strings().substr(w[i + 6], w[i + 7])); i += 8; break;
      case Op::clip: i += 5; break;
      case Op::unclip: i += 1; break;
      case Op::filter_button: i += 6; break;
      case Op::frame: i += 7; break;
      case Op::pattern: i += 8; break;
      case Op::path: ++paths; i += 5 + 2 * w[i + 1]; break;
      default: FAIL() << "unknown op " << w[i];
    }
  }
  auto shows = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); };
  EXPECT_TRUE(shows("Carichi per settimana"));
  EXPECT_TRUE(shows("Stacco"));
  EXPECT_TRUE(shows("Volume settimanale"));
  EXPECT_TRUE(shows("SETT 6"));
  EXPECT_GE(paths, 4u + 4u);  // four load lines, four pie slices at least
}

}  // namespace
}  // namespace stilaro::view

namespace stilaro::view {
namespace {

// The same card saved by the office suite: its own chart and rule markup, the same drawing.
TEST(Charts, TheCardSavedByTheOtherWriterGivesTheSameChartsAndRules) {
  auto read = read_xlsx(fixture("drawn-card-libreoffice.xlsx"));
  ASSERT_TRUE(read.workbook.has_value()) << read.error;
  const Workbook& wb = *read.workbook;
  const auto& charts = wb.sheets[0].charts;
  ASSERT_EQ(charts.size(), 4u);
  std::vector<Chart::Kind> kinds;
  for (const Chart& c : charts) kinds.push_back(c.kind);
  std::sort(kinds.begin(), kinds.end());
  EXPECT_EQ(kinds, (std::vector<Chart::Kind>{Chart::Kind::Line, Chart::Kind::Column, Chart::Kind::Pie, Chart::Kind::Scatter}));
  const Chart& line = *std::find_if(charts.begin(), charts.end(), [](const Chart& c) { return c.kind == Chart::Kind::Line; });
  const auto data = chart_data(wb, 0, line);
  ASSERT_EQ(data.size(), 4u);
  EXPECT_EQ(data[2].name, "Stacco");
  EXPECT_EQ(data[2].values[5], 120);
  const ConditionalLooks looks(wb, 0, {});
  EXPECT_EQ(looks.at({2, 6}).fill, 0xFFFFC7CEu);
  EXPECT_EQ(looks.at({1, 7}).fill, 0xFFC6EFCEu);
  EXPECT_EQ(looks.at({7, 1}).fill, 0xFFF8696Bu);
  EXPECT_GT(looks.at({4, 8}).bar, 0.8);
}

}  // namespace
}  // namespace stilaro::view
