#pragma once
// Draws the charts of the sheet shown at their anchors, over the scrolling pane,
// with the series read from the cells as they are now.
#include <optional>
#include <string>
#include <vector>

#include "core/workbook.h"
#include "view/display_list.h"
#include "view/layout.h"

namespace stilaro::view {

// A series' cells as the chart uses them.
struct SeriesData {
  std::string name;
  std::vector<std::string> categories;       // shown texts
  std::vector<std::optional<double>> values;  // nullopt: empty or not a number (a gap)
  std::vector<std::optional<double>> xs;      // scatter only
  std::uint32_t colour = 0;
  bool line = true;
};
std::vector<SeriesData> chart_data(const Workbook& workbook, std::int32_t sheet, const Chart& chart);

// Round axis bounds and step for numbers between lo and hi (0 is kept on the axis
// when every number lies on one side of it, as spreadsheets draw it).
struct AxisScale {
  double min = 0, max = 1, step = 1;
};
AxisScale axis_scale(double lo, double hi);

// The chart's box on screen at the zoom.
Rect chart_box(const Chart& chart, const Layout& layout, double zoom);

void paint_charts(const Workbook& workbook, std::int32_t sheet, const Layout& layout, double zoom, DisplayList& out);

}  // namespace stilaro::view
