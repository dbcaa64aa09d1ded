#pragma once
// How one cell's value is shown: its text through the number format, the font,
// the colour and where in the cell the lines stand.
#include <string>
#include <vector>

#include "core/workbook.h"
#include "view/conditional_look.h"
#include "view/display_list.h"
#include "view/layout.h"

namespace stilaro::view {

struct CellText {
  std::vector<std::string> lines;
  TextStyle style;            // size in CSS pixels at the zoom, colour, alignment
  double width = 0;           // of the widest line, CSS pixels at the zoom
  bool overflows = false;     // single-line text that may spill into empty neighbours
  Align spill = Align::left;  // the side it spills to (centre: both)
  double inset = 0;           // from the aligned edge (padding and indent)
  VerticalAlign vertical = VerticalAlign::Bottom;
  double line_height = 0;
};

// `available` is the width in CSS pixels the text may use at this zoom. A conditional
// look's font changes apply before measuring, so the text is measured as it is drawn.
CellText cell_text(const Workbook& workbook, const Cell& cell, double available, double zoom,
                   const ConditionalLook* look = nullptr);

// The baseline of line i of a block of lines placed in a cell box.
double baseline(const CellText& t, const Rect& box, std::size_t i);

}  // namespace stilaro::view
