// Charts drawn on a sheet, as read from its drawing part: where each stands and
// which cells its series take their names and numbers from. The view reads the cells
// at every frame (view/chart_painter.h); the writer keeps the chart parts untouched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "address.h"
#include "styles.h"

namespace stilaro {

struct ChartSeries {
  std::string name;        // literal name, or the text cached for name_ref
  std::string name_ref;    // "'Scheda'!A2" or empty
  std::string categories;  // reference of the categories (x values of a scatter)
  std::string values;      // reference of the numbers (y values of a scatter)
  Color color;             // None: the chart's palette colour for the series' place
  bool line = true;        // false when the series' line has no fill (markers only)
};

// Where a drawing stands: a cell and an offset in EMU (914400 to an inch), and either
// a second cell and offset or a size.
struct ChartAnchor {
  CellAddress from;
  double from_dx = 0, from_dy = 0;
  bool has_to = false;
  CellAddress to;
  double to_dx = 0, to_dy = 0;
  double width = 0, height = 0;  // EMU, without `to`
};

struct Chart {
  enum class Kind : std::uint8_t { Line, Column, Bar, Pie, Scatter, Area };
  Kind kind = Kind::Line;
  std::string title;
  std::string x_title, y_title;
  bool legend = false;
  ChartAnchor anchor;
  std::vector<ChartSeries> series;
  std::vector<std::uint32_t> palette;  // the theme's accent colours, ARGB
};

}  // namespace stilaro
