// Number-format rendering against a table of expected texts (Italian conventions).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "formula.h"
#include "number_format.h"
#include "styles.h"

namespace stilaro {
namespace {

TEST(NumberFormat, TableOfTexts) {
  const double date = date_serial(2026, 3, 5) + (14 * 3600 + 7 * 60 + 9) / 86400.0;
  struct Case {
    double value;
    const char* code;
    const char* expected;
  } cases[] = {
      {3.5, "General", "3,5"},
      {-0.25, "General", "-0,25"},
      {1.0 / 3, "General", "0,333333333"},
      {123456.789012345, "General", "123456,789"},
      {0.1 + 0.2, "General", "0,3"},
      {1e15, "General", "1E+15"},
      {1.5e-12, "General", "1,5E-12"},
      {82.5, "0", "83"},
      {82.5, "0.00", "82,50"},
      {1234567.891, "#,##0.00", "1.234.567,89"},
      {1234, "#,##0", "1.234"},
      {999, "#,##0", "999"},
      {0.5, "#,##0.00", "0,50"},
      {0.5, "#.##", ",5"},
      {7, "000", "007"},
      {0.256, "0%", "26%"},
      {0.256, "0.0%", "25,6%"},
      {12345, "0.00E+00", "1,23E+04"},
      {-5, "0.00;(0.00)", "(5,00)"},
      {0, "0;-0;\"zero\"", "zero"},
      {-5, "0;[Red]-0", "-5"},
      {1500000, "#,##0,", "1.500"},
      {42, "\"kg \"0", "kg 42"},
      {42, "0\\ \\k\\g", "42 kg"},
      {42, "0_);(0)", "42 "},
      {150, "[>100]\"tanti\";\"pochi\"", "tanti"},
      {date, "dd/mm/yyyy", "05/03/2026"},
      {date, "d/m/yy", "5/3/26"},
      {date, "d mmm yyyy", "5 mar 2026"},
      {date, "dddd d mmmm", "giovedì 5 marzo"},
      {date, "ddd", "gio"},
      {date, "mmmmm", "m"},
      {date, "hh:mm:ss", "14:07:09"},
      {date, "h:mm AM/PM", "2:07 PM"},
      {date, "yyyy-mm-dd hh:mm", "2026-03-05 14:07"},
      {1.5, "[h]:mm", "36:00"},
      {(2 * 60 + 5.25) / 86400.0, "mm:ss.0", "02:05,3"},
      {date, "[$-410]d mmmm yyyy", "5 marzo 2026"},
      {12.5, "[$€-410] #,##0.00", "€ 12,50"},
      {5, "@", "5"},
      {1.5, "# ?/?", "1 1/2"},
      {0.75, "# ?/?", "3/4"},
      {2, "# ?/?", "2"},
      {3.14159, "# ?\?/?\?", "3 14/99"},
      {-1.25, "# ?/?", "-1 1/4"},
      {0.3, "?/4", "1/4"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_value(Value::of_number(c.value), c.code).text, c.expected) << c.code;
}

// Card values take a short way that must print what the general way prints:
// n / 10^k for many n and k, against fixed notation rounded and trimmed here.
TEST(NumberFormat, GeneralShortDecimalsMatchFixedNotation) {
  EXPECT_EQ(format_general(60), "60");
  EXPECT_EQ(format_general(-7.25), "-7,25");
  EXPECT_EQ(format_general(0.005), "0,005");
  EXPECT_EQ(format_general(1234567890), "1234567890");
  for (int k = 0; k <= 4; ++k)
    for (long long n = -2005; n <= 2005; n += 7) {
      const double x = static_cast<double>(n) / std::pow(10.0, k);
      if (x == 0) continue;
      for (int significant : {10, 4, 2}) {
        const double a = std::abs(x);
        const int whole = a < 1 ? 1 : static_cast<int>(std::floor(std::log10(a))) + 1;
        if (whole > significant) continue;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", significant - whole, x);
        std::string fixed = buf;
        if (fixed.find('.') != std::string::npos) {
          fixed.erase(fixed.find_last_not_of('0') + 1);
          if (fixed.back() == '.') fixed.pop_back();
          std::replace(fixed.begin(), fixed.end(), '.', ',');
        }
        if (fixed == "-0") fixed = "0";
        EXPECT_EQ(format_general(x, significant), fixed) << n << "e-" << k << " to " << significant;
      }
    }
}

TEST(NumberFormat, HugeFixedDenominatorsAreText) {
  EXPECT_EQ(format_value(Value::of_number(3), "0/5555555555").text, "3/5555555555");
}

TEST(NumberFormat, NonNumbers) {
  EXPECT_EQ(format_value(Value::of_text("panca"), "0.00").text, "panca");
  EXPECT_EQ(format_value(Value::of_text("panca"), "@\" piana\"").text, "panca piana");
  EXPECT_EQ(format_value(Value::of_text("x"), "0;0;0;\"[\"@\"]\"").text, "[x]");
  EXPECT_EQ(format_value(Value::of_bool(true), "General").text, "VERO");
  EXPECT_EQ(format_value(Value::of_error(ErrorCode::Div0), "0.00").text, "#DIV/0!");
  EXPECT_EQ(format_value(Value::empty(), "0.00").text, "");
}

TEST(NumberFormat, SectionColours) {
  auto red = format_value(Value::of_number(-3), "0;[Red]-0");
  ASSERT_TRUE(red.color);
  EXPECT_EQ(*red.color, 0xFFFF0000u);
  EXPECT_FALSE(format_value(Value::of_number(3), "0;[Red]-0").color);
}

TEST(NumberFormat, BuiltInIdsAndKinds) {
  Styles st;
  EXPECT_EQ(st.number_format_code(14), "dd/mm/yyyy");
  EXPECT_EQ(st.number_format_code(49), "@");
  EXPECT_EQ(st.number_format_code(200), "General");
  st.custom_number_formats[164] = "0.0\" kg\"";
  EXPECT_EQ(st.number_format_code(164), "0.0\" kg\"");
  EXPECT_TRUE(format_is_date("dd/mm/yyyy"));
  EXPECT_TRUE(format_is_date("[h]:mm"));
  EXPECT_FALSE(format_is_date("0.00\"d\""));
  EXPECT_FALSE(format_is_date("#,##0"));
  EXPECT_TRUE(format_is_text("@"));
  EXPECT_FALSE(format_is_text("General"));
}

TEST(NumberFormat, Date1904System) {
  EXPECT_EQ(format_value(Value::of_number(0), "dd/mm/yyyy", true).text, "01/01/1904");
}

}  // namespace
}  // namespace stilaro
