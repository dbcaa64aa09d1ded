// Formulas: parsing, evaluation and recalculation of a whole workbook.
//
// Formulas are kept in file syntax (English function names, "," between arguments,
// "." in numbers, without the leading "="). recalculate() evaluates every formula cell
// in dependency order, stores fresh results as the cells' values and marks the cells
// whose value changed; a cell that depends on itself gets the error #VALUE!.
//
//   stilaro::RecalcOptions opt{.today = stilaro::date_serial(2026, 12, 9)};
//   stilaro::recalculate(workbook, opt);
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "workbook.h"

namespace stilaro {

struct RecalcOptions {
  double today = 0;  // serial date TODAY() returns (injected: the core reads no clock)
};

// Evaluates one formula as if it stood in `at` of sheet `sheet` (cells are read as
// they are, no recalculation happens). Malformed text gives #NAME? or #VALUE!.
Value evaluate_formula(const Workbook& workbook, std::int32_t sheet, CellAddress at,
                       std::string_view formula, const RecalcOptions& options);

// Recalculates every formula; returns how many cell values changed.
std::size_t recalculate(Workbook& workbook, const RecalcOptions& options);

// True when the text parses as a formula (without "=").
bool formula_is_valid(std::string_view formula);

// Rewrites the references of a formula as if it were copied `rows`/`cols` away
// (relative parts move, "$" parts stay); references pushed off the sheet become #REF!.
std::string shift_formula(std::string_view formula, std::int32_t rows, std::int32_t cols);

// Turns what a user typed after "=" into file syntax: Italian function names
// (SOMMA, MEDIA, SE, CONTA.SE, ...) become English ones, and when ";" separates arguments the
// "," inside numbers is a decimal separator.
std::string formula_from_input(std::string_view typed);

// Serial day number of a calendar date in the 1900 date system (1900-01-01 = 1).
double date_serial(int year, int month, int day);
// Calendar date of a serial day number; false outside the supported range.
bool serial_to_date(double serial, int& year, int& month, int& day);

}  // namespace stilaro
