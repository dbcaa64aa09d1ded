#include "cell_text.h"

#include <algorithm>

#include "core/number_format.h"
#include "view/text_metrics.h"

namespace stilaro::view {
namespace {

constexpr double kPadding = 3;
constexpr double kIndentStep = 9;

}  // namespace

CellText cell_text(const Workbook& workbook, const Cell& cell, double available, double zoom,
                   const ConditionalLook* look) {
  CellText t;
  const Styles& styles = workbook.styles;
  Font font = styles.font_of(cell.style);
  if (look) {
    font.bold = look->bold.value_or(font.bold);
    font.italic = look->italic.value_or(font.italic);
    font.underline = look->underline.value_or(font.underline);
    font.strike = look->strike.value_or(font.strike);
  }
  const Alignment& align = styles.cell_format(cell.style).alignment;
  const FormattedValue shown = format_value(cell.value, styles.number_format_of(cell.style), workbook.date1904);

  t.style.size_px = points_to_px(font.size) * zoom;
  t.style.bold = font.bold;
  t.style.italic = font.italic;
  t.style.underline = font.underline;
  t.style.strike = font.strike;
  t.style.colour = shown.color ? *shown.color : font.color.is_set() ? font.color.argb : 0xFF000000;
  if (look && look->text_colour) t.style.colour = *look->text_colour;
  t.vertical = align.vertical;
  t.line_height = points_to_px(line_height_pt(font.size)) * zoom;
  t.inset = (kPadding + align.indent * kIndentStep) * zoom;

  switch (align.horizontal) {
    case HorizontalAlign::Right: t.style.align = Align::right; break;
    case HorizontalAlign::Center:
    case HorizontalAlign::CenterContinuous: t.style.align = Align::centre; break;
    case HorizontalAlign::General:
      t.style.align = cell.value.is_number() ? Align::right
                      : cell.value.is_bool() || cell.value.is_error() ? Align::centre
                                                                        : Align::left;
      break;
    default: t.style.align = Align::left; break;
  }
  t.spill = t.style.align;

  const double room = std::max(1.0, available - 2 * kPadding * zoom - align.indent * kIndentStep * zoom) / zoom;
  if (shown.text.empty()) return t;
  if (align.wrap || align.horizontal == HorizontalAlign::Justify) {
    t.lines = wrap_lines(shown.text, font.size, font.bold, room, font.italic);
  } else {
    std::string one = shown.text;
    std::replace(one.begin(), one.end(), '\n', ' ');
    std::replace(one.begin(), one.end(), '\r', ' ');
    t.lines.push_back(std::move(one));
  }
  for (const std::string& line : t.lines) t.width = std::max(t.width, text_width_px(line, font.size, font.bold, font.italic) * zoom);
  if (!align.wrap && t.width > room * zoom) {
    const std::string_view code = styles.number_format_of(cell.style);
    const bool general = code.empty() || code == "General" || code == "general";
    if (cell.value.is_number() && general) {
      // A General number rounds to the digits that fit, as spreadsheets show it.
      for (int digits = 9; digits >= 1; --digits) {
        std::string shorter = format_general(cell.value.number, digits);
        const double w = text_width_px(shorter, font.size, font.bold, font.italic) * zoom;
        if (w <= room * zoom) {
          t.lines = {std::move(shorter)};
          t.width = w;
          return t;
        }
      }
    }
    if (cell.value.is_number()) {
      // A number never shows cut: it gives way to #### as wide as the cell.
      const double hash = text_width_px("#", font.size, font.bold, font.italic);
      const auto count = static_cast<std::size_t>(std::max(1.0, room / hash));
      t.lines = {std::string(count, '#')};
      t.width = count * hash * zoom;
    } else {
      t.overflows = true;
    }
  }
  return t;
}

double baseline(const CellText& t, const Rect& box, std::size_t i) {
  const double block = t.line_height * static_cast<double>(t.lines.size());
  double top;
  switch (t.vertical) {
    case VerticalAlign::Top: top = box.y + 1; break;
    case VerticalAlign::Center:
    case VerticalAlign::Justify:
    case VerticalAlign::Distributed: top = box.y + (box.h - block) / 2; break;
    default: top = box.bottom() - block - 1; break;
  }
  // Lines of text taller than their cell show their beginning.
  if (t.lines.size() > 1) top = std::max(top, box.y + 1);
  return top + t.line_height * static_cast<double>(i) + (t.line_height + t.style.size_px * 0.7) / 2;
}

}  // namespace stilaro::view
