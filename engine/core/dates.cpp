// Serial dates of the 1900 date system, including its fictitious 29 February 1900
// (serial 60), which files rely on.
#include "formula.h"

namespace stilaro {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
constexpr std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr std::int64_t kEpoch = days_from_civil(1899, 12, 30);
constexpr std::int64_t kMarch1900 = days_from_civil(1900, 3, 1);

}  // namespace

double date_serial(int year, int month, int day) {
  // Months and days out of range roll over, as DATE() does.
  std::int64_t y = year + (month - 1) / 12;
  int m = (month - 1) % 12;
  if (m < 0) {
    m += 12;
    --y;
  }
  std::int64_t days = days_from_civil(y, static_cast<unsigned>(m + 1), 1) + (day - 1);
  return static_cast<double>(days < kMarch1900 ? days - kEpoch - 1 : days - kEpoch);
}

bool serial_to_date(double serial, int& year, int& month, int& day) {
  if (!(serial >= 0 && serial < 2958466)) return false;
  auto whole = static_cast<std::int64_t>(serial);
  if (whole == 60) {
    year = 1900, month = 2, day = 29;
    return true;
  }
  if (whole == 0) {
    year = 1900, month = 1, day = 0;
    return true;
  }
  civil_from_days(whole < 60 ? whole + kEpoch + 1 : whole + kEpoch, year, month, day);
  return true;
}

}  // namespace stilaro
