// Cell styles as the workbook's styles part holds them: fonts, fills, borders, number
// formats and the cell formats (xf records) that combine them. A cell refers to a cell
// format by index; index 0 is the workbook's default look. Colours are resolved to ARGB
// at read time (theme and indexed colours included) so drawing never needs the theme.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stilaro {

struct Color {
  enum class Kind : std::uint8_t { None, Rgb, Theme, Indexed, Auto };
  Kind kind = Kind::None;
  std::uint32_t argb = 0xFF000000;  // resolved value, valid unless kind is None
  std::int32_t theme = -1;
  std::int32_t indexed = -1;
  double tint = 0;
  bool is_set() const { return kind != Kind::None; }
  friend bool operator==(const Color&, const Color&) = default;
};

struct Font {
  std::string name = "Calibri";
  double size = 11;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  Color color;  // None means the default text colour
  friend bool operator==(const Font&, const Font&) = default;
};

// The non-solid patterns: the background colour with the foreground colour drawn over
// it as dots or lines.
enum class Hatch : std::uint8_t {
  None, DarkGray, MediumGray, LightGray, Gray125, Gray0625,
  DarkHorizontal, DarkVertical, DarkDown, DarkUp, DarkGrid, DarkTrellis,
  LightHorizontal, LightVertical, LightDown, LightUp, LightGrid, LightTrellis
};
Hatch hatch_named(std::string_view pattern_type);

struct Fill {
  enum class Pattern : std::uint8_t { None, Solid, Gray125, Other };
  Pattern pattern = Pattern::None;
  Color foreground;  // the colour of a solid fill
  Color background;
  Hatch hatch = Hatch::None;  // for Gray125 and Other
  friend bool operator==(const Fill&, const Fill&) = default;
};

struct BorderSide {
  enum class Style : std::uint8_t {
    None, Thin, Medium, Thick, Dashed, Dotted, Double, Hair,
    MediumDashed, DashDot, MediumDashDot, DashDotDot, MediumDashDotDot, SlantDashDot
  };
  Style style = Style::None;
  Color color;
  friend bool operator==(const BorderSide&, const BorderSide&) = default;
};

struct Border {
  BorderSide left, right, top, bottom;
  friend bool operator==(const Border&, const Border&) = default;
};

enum class HorizontalAlign : std::uint8_t {
  General, Left, Center, Right, Fill, Justify, CenterContinuous, Distributed
};
enum class VerticalAlign : std::uint8_t { Bottom, Center, Top, Justify, Distributed };

struct Alignment {
  HorizontalAlign horizontal = HorizontalAlign::General;
  VerticalAlign vertical = VerticalAlign::Bottom;
  bool wrap = false;
  bool shrink_to_fit = false;
  std::int32_t indent = 0;    // steps of about three character widths
  std::int32_t rotation = 0;  // degrees as stored (0-180, 255 = vertical text)
  friend bool operator==(const Alignment&, const Alignment&) = default;
};

struct CellFormat {
  std::uint32_t font = 0;
  std::uint32_t fill = 0;
  std::uint32_t border = 0;
  std::uint32_t number_format = 0;  // built-in id (< 164) or custom id
  Alignment alignment;
  friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

// What a conditional format rule changes of a cell's look; unset parts stay as they are.
struct DifferentialFormat {
  Color font_color;
  std::optional<bool> bold, italic, underline, strike;
  Color fill;  // the solid colour laid over the cell, None when the rule keeps the fill
};

struct Styles {
  std::vector<Font> fonts{Font{}};
  std::vector<Fill> fills{Fill{}, Fill{Fill::Pattern::Gray125, {}, {}}};
  std::vector<Border> borders{Border{}};
  std::vector<CellFormat> cell_formats{CellFormat{}};
  std::map<std::uint32_t, std::string> custom_number_formats;  // id -> format code
  std::vector<DifferentialFormat> differential_formats;         // dxf records, by index

  // Cell formats and custom number formats up to these counts came from the file;
  // anything beyond was added by editing and makes the writer rewrite the styles part.
  std::size_t file_cell_format_count = 1;
  std::size_t file_number_format_count = 0;

  // Format code for a number format id: the custom code, the built-in one, or "General".
  std::string_view number_format_code(std::uint32_t id) const;
  const CellFormat& cell_format(std::uint32_t index) const;  // falls back to index 0
  const Font& font_of(std::uint32_t cell_format_index) const;
  const Fill& fill_of(std::uint32_t cell_format_index) const;
  const Border& border_of(std::uint32_t cell_format_index) const;
  std::string_view number_format_of(std::uint32_t cell_format_index) const;

  // The index of a cell format like `base` but with another number format code,
  // reusing an existing format or adding one (and a custom number format) as needed.
  std::uint32_t with_number_format(std::uint32_t base, std::string_view code);
  // The same format with text wrapping on.
  std::uint32_t with_wrap(std::uint32_t base);
};

// The built-in code for ids 0-49 (Italian conventions for the locale-dependent ones),
// or an empty view for ids without one.
std::string_view builtin_number_format(std::uint32_t id);

}  // namespace stilaro
