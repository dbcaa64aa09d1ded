// Number-format rendering: turns a cell value into the text shown in the cell, with
// Italian conventions (decimal comma, "." for thousands, Italian month names).
//
//   auto shown = stilaro::format_value(cell.value, styles.number_format_of(cell.style));
//   draw(shown.text, shown.color ? *shown.color : font_colour);
//
// Supports General, fixed decimals, thousands separators, percent, scientific, fractions, dates
// and times (d dd ddd dddd m mm mmm mmmm yy yyyy h hh m mm s ss AM/PM [h]), text "@",
// literal text and escapes, colours and up to four ";"-separated sections with
// conditions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "value.h"

namespace stilaro {

struct FormattedValue {
  std::string text;
  std::optional<std::uint32_t> color;  // ARGB from a [Red]-style section colour
};

FormattedValue format_value(const Value& value, std::string_view format_code,
                            bool date1904 = false);

// A number in General form: shortest text, decimal comma, at most 10 significant
// digits (11 for whole numbers), scientific for very large or small magnitudes
// ("3,5", "1E+15"). Fewer `significant` digits round it to fit a narrow cell.
std::string format_general(double number, int significant = 10);

// A format code written the Italian way, as TEXT() takes it in an Italian spreadsheet
// ("0,00", "#.##0", "gg/mm/aaaa"), turned into file syntax ("0.00", "#,##0",
// "dd/mm/yyyy"). Quoted text, escapes and bracketed parts stay.
std::string format_code_from_italian(std::string_view code);

// True when the code shows dates or times (so a typed date keeps it).
bool format_is_date(std::string_view format_code);
bool format_is_text(std::string_view format_code);

}  // namespace stilaro
