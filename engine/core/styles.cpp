#include "styles.h"

#include <algorithm>
#include <array>
#include <optional>

namespace stilaro {

std::string_view builtin_number_format(std::uint32_t id) {
  // Locale-dependent ids (14-22) take their Italian form.
  static constexpr std::array<std::string_view, 50> kCodes = {
      "General", "0", "0.00", "#,##0", "#,##0.00",
      "#,##0 \"€\";-#,##0 \"€\"", "#,##0 \"€\";[Red]-#,##0 \"€\"",
      "#,##0.00 \"€\";-#,##0.00 \"€\"", "#,##0.00 \"€\";[Red]-#,##0.00 \"€\"",
      "0%", "0.00%", "0.00E+00", "# ?/?", "# ?\?/?\?",
      "dd/mm/yyyy", "d-mmm-yy", "d-mmm", "mmm-yy", "h:mm AM/PM", "h:mm:ss AM/PM",
      "h:mm", "h:mm:ss", "dd/mm/yyyy h:mm",
      "", "", "", "", "", "", "", "", "", "", "", "", "", "",
      "#,##0 ;(#,##0)", "#,##0 ;[Red](#,##0)", "#,##0.00;(#,##0.00)", "#,##0.00;[Red](#,##0.00)",
      "", "", "", "",
      "mm:ss", "[h]:mm:ss", "mm:ss.0", "##0.0E+0", "@"};
  return id < kCodes.size() ? kCodes[id] : std::string_view();
}

std::string_view Styles::number_format_code(std::uint32_t id) const {
  if (auto it = custom_number_formats.find(id); it != custom_number_formats.end()) return it->second;
  auto code = builtin_number_format(id);
  return code.empty() ? std::string_view("General") : code;
}

const CellFormat& Styles::cell_format(std::uint32_t index) const {
  static const CellFormat kDefault;
  if (index < cell_formats.size()) return cell_formats[index];
  return cell_formats.empty() ? kDefault : cell_formats[0];
}

const Font& Styles::font_of(std::uint32_t i) const {
  static const Font kDefault;
  auto f = cell_format(i).font;
  return f < fonts.size() ? fonts[f] : (fonts.empty() ? kDefault : fonts[0]);
}

const Fill& Styles::fill_of(std::uint32_t i) const {
  static const Fill kDefault;
  auto f = cell_format(i).fill;
  return f < fills.size() ? fills[f] : kDefault;
}

const Border& Styles::border_of(std::uint32_t i) const {
  static const Border kDefault;
  auto b = cell_format(i).border;
  return b < borders.size() ? borders[b] : kDefault;
}

std::string_view Styles::number_format_of(std::uint32_t i) const {
  return number_format_code(cell_format(i).number_format);
}

std::uint32_t Styles::with_wrap(std::uint32_t base) {
  CellFormat wanted = cell_format(base);
  if (wanted.alignment.wrap) return base;
  wanted.alignment.wrap = true;
  for (std::uint32_t i = 0; i < cell_formats.size(); ++i)
    if (cell_formats[i] == wanted) return i;
  cell_formats.push_back(wanted);
  return static_cast<std::uint32_t>(cell_formats.size() - 1);
}

std::uint32_t Styles::with_number_format(std::uint32_t base, std::string_view code) {
  std::optional<std::uint32_t> id;
  // Built-in ids whose look depends on the reader's locale (currency, dates, times)
  // would show differently in other programs: those codes are written out instead.
  for (std::uint32_t i : {0u, 1u, 2u, 3u, 4u, 9u, 10u, 11u, 12u, 13u, 45u, 46u, 47u, 48u, 49u})
    if (!id && builtin_number_format(i) == code) id = i;
  for (const auto& [k, v] : custom_number_formats)
    if (!id && v == code) id = k;
  if (!id) {
    std::uint32_t next = 164;
    if (!custom_number_formats.empty()) next = std::max(next, custom_number_formats.rbegin()->first + 1);
    custom_number_formats.emplace(next, std::string(code));
    id = next;
  }
  CellFormat wanted = cell_format(base);
  wanted.number_format = *id;
  for (std::uint32_t i = 0; i < cell_formats.size(); ++i)
    if (cell_formats[i] == wanted) return i;
  cell_formats.push_back(wanted);
  return static_cast<std::uint32_t>(cell_formats.size() - 1);
}

}  // namespace stilaro

namespace stilaro {

Hatch hatch_named(std::string_view pattern_type) {
  static constexpr std::array<std::pair<std::string_view, Hatch>, 17> kNames = {{
      {"darkGray", Hatch::DarkGray}, {"mediumGray", Hatch::MediumGray}, {"lightGray", Hatch::LightGray},
      {"gray125", Hatch::Gray125}, {"gray0625", Hatch::Gray0625},
      {"darkHorizontal", Hatch::DarkHorizontal}, {"darkVertical", Hatch::DarkVertical},
      {"darkDown", Hatch::DarkDown}, {"darkUp", Hatch::DarkUp}, {"darkGrid", Hatch::DarkGrid},
      {"darkTrellis", Hatch::DarkTrellis}, {"lightHorizontal", Hatch::LightHorizontal},
      {"lightVertical", Hatch::LightVertical}, {"lightDown", Hatch::LightDown}, {"lightUp", Hatch::LightUp},
      {"lightGrid", Hatch::LightGrid}, {"lightTrellis", Hatch::LightTrellis}}};
  for (const auto& [name, hatch] : kNames)
    if (name == pattern_type) return hatch;
  return Hatch::None;
}

}  // namespace stilaro
