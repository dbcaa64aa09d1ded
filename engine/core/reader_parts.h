// The pieces of the .xlsx reader, one per part kind. Internal to the engine.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "workbook.h"

namespace stilaro::reader {

// The twelve theme colours in the order the styles refer to them (lt1, dk1, lt2, dk2,
// accent1-6, hlink, folHlink).
using ThemeColors = std::array<std::uint32_t, 12>;
ThemeColors read_theme(const pugi::xml_document* theme);

Styles read_styles(const pugi::xml_node& style_sheet, const ThemeColors& theme);
Color read_color(const pugi::xml_node& node, const ThemeColors& theme);

std::vector<std::string> read_shared_strings(const pugi::xml_node& sst);
// The plain text of a string item (<si> or <is>): its <t>, or its runs' <t>s.
std::string string_item_text(const pugi::xml_node& item);

void read_sheet(const pugi::xml_node& worksheet, const std::vector<std::string>& shared_strings,
                Sheet& sheet);

// Parses a part of the package; false when it is missing or unreadable.
using PartLoader = std::function<bool(std::string_view path, pugi::xml_document& doc)>;
void read_charts(const PartLoader& load, std::string_view sheet_part, const ThemeColors& theme, Sheet& sheet);

void read_conditional_formats(const pugi::xml_node& worksheet, const ThemeColors& theme, Sheet& sheet);

// Resolves a relationship target against the folder of the part that holds it.
std::string resolve_target(std::string_view part, std::string_view target);
// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
std::string rels_path(std::string_view part);

}  // namespace stilaro::reader
