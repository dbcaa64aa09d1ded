// The reader's model of every card agrees with an independent reader (python3-openpyxl):
// values, formulas (shared ones expanded), number formats, fonts, fills, borders,
// alignment, merges, column widths, row heights, hidden rows and columns, frozen panes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "test_files.h"
#include "xlsx_reader.h"

namespace stilaro {
namespace {

namespace fs = std::filesystem;

std::string number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::string hex(const Color& c) {
  if (c.kind != Color::Kind::Rgb) return "-";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%06X", c.argb & 0xFFFFFF);
  return buf;
}

const char* border_name(BorderSide::Style s) {
  static const char* kNames[] = {"none", "thin", "medium", "thick", "dashed", "dotted", "double", "hair",
                                 "mediumDashed", "dashDot", "mediumDashDot", "dashDotDot", "mediumDashDotDot",
                                 "slantDashDot"};
  return kNames[static_cast<int>(s)];
}

const char* horizontal_name(HorizontalAlign h) {
  static const char* kNames[] = {"general", "left", "center", "right", "fill", "justify", "centerContinuous", "distributed"};
  return kNames[static_cast<int>(h)];
}

const char* vertical_name(VerticalAlign v) {
  static const char* kNames[] = {"bottom", "center", "top", "justify", "distributed"};
  return kNames[static_cast<int>(v)];
}

void dump(const Workbook& wb, std::ostream& out) {
  out << "sheets";
  for (const auto& s : wb.sheets) out << "\t" << s.name;
  out << "\nactive\t" << wb.active_sheet << "\n";
  for (const auto& s : wb.sheets) {
    for (const auto& [r, row] : s.rows) {
      if (row.height > 0 || row.hidden) out << "row\t" << s.name << "\t" << r + 1 << "\t" << number(row.height) << "\t" << row.hidden << "\n";
      for (const auto& [c, cell] : row.cells) {
        out << "cell\t" << s.name << "\t" << format_address({r, c}) << "\t";
        const Value& v = cell.value;
        if (cell.has_formula()) out << "f\t=" << cell.formula;
        else if (v.is_number()) out << "n\t" << number(v.number);
        else if (v.is_text()) out << "s\t" << v.text;
        else if (v.is_bool()) out << "b\t" << (v.number != 0 ? "TRUE" : "FALSE");
        else out << "e\t";
        const Font& f = wb.styles.font_of(cell.style);
        const Fill& fill = wb.styles.fill_of(cell.style);
        const Border& b = wb.styles.border_of(cell.style);
        const Alignment& a = wb.styles.cell_format(cell.style).alignment;
        // Patterns other than solid by the hatch the reader found, in Hatch order.
        static const char* kHatches[] = {"other", "darkGray", "mediumGray", "lightGray", "gray125", "gray0625",
                                         "darkHorizontal", "darkVertical", "darkDown", "darkUp", "darkGrid",
                                         "darkTrellis", "lightHorizontal", "lightVertical", "lightDown", "lightUp",
                                         "lightGrid", "lightTrellis"};
        const char* pattern = fill.pattern == Fill::Pattern::None    ? "none"
                              : fill.pattern == Fill::Pattern::Solid ? "solid"
                                                                     : kHatches[static_cast<int>(fill.hatch)];
        out << "\t" << wb.styles.number_format_of(cell.style) << "\t" << f.name << "|" << number(f.size) << "|"
            << f.bold << "|" << f.italic << "|" << hex(f.color) << "\t" << pattern
            << "|" << (fill.pattern == Fill::Pattern::Solid ? hex(fill.foreground) : "-") << "\t"
            << border_name(b.left.style) << "|" << border_name(b.right.style) << "|" << border_name(b.top.style) << "|"
            << border_name(b.bottom.style) << "\t" << horizontal_name(a.horizontal) << "|" << vertical_name(a.vertical)
            << "|" << a.wrap << "|" << a.indent << "\n";
      }
    }
    for (const auto& m : s.merges) out << "merge\t" << s.name << "\t" << format_range(m) << "\n";
    for (const auto& span : s.columns)
      for (std::int32_t c = span.min; c <= span.max && c < span.min + 64; ++c)
        out << "col\t" << s.name << "\t" << column_name(c) << "\t" << number(span.width) << "\t" << span.hidden << "\n";
    CellAddress freeze{s.view.frozen_rows, s.view.frozen_cols};
    out << "freeze\t" << s.name << "\t" << format_address(freeze) << "\n";
  }
}

TEST(ReaderModel, EveryCardAgreesWithOpenpyxl) {
  fs::path dir = fs::temp_directory_path() / ("stilaro-model-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string script = (fs::path(STILARO_CHECKER).parent_path() / "compare_model.py").string();
  std::string command = "/usr/bin/python3 " + script;
  int cards = 0;
  for (const auto& entry : fs::directory_iterator(STILARO_FIXTURES)) {
    auto name = entry.path().filename().string();
    if (entry.path().extension() != ".xlsx" || name.starts_with("broken-")) continue;
    auto r = read_xlsx(test::read_file(entry.path()));
    ASSERT_TRUE(r.workbook) << name;
    std::ofstream out(dir / (name + ".tsv"));
    dump(*r.workbook, out);
    command += " " + entry.path().string() + " " + (dir / (name + ".tsv")).string();
    ++cards;
  }
  command += " > " + (dir / "report.txt").string() + " 2>&1";
  int rc = std::system(command.c_str());
  std::ifstream in(dir / "report.txt");
  std::stringstream report;
  report << in.rdbuf();
  fs::remove_all(dir);
  EXPECT_EQ(report.str(), "");
  EXPECT_EQ(rc, 0);
  EXPECT_GE(cards, 13);
}

}  // namespace
}  // namespace stilaro
