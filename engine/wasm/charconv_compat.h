// Debian's emscripten ships a libc++ that declares no floating-point
// std::to_chars / std::from_chars. The module build force-includes this header
// so the core's number reading and writing work the same as in native builds:
// "C" number syntax (the module has no other locale), shortest round-trip text.
// The functions stand in only where the library lacks them; a native test
// compares the shortest texts with the library's own.
#pragma once

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace std {

namespace charconv_compat {

// Plain decimals of up to 15 significant digits ("72.5", "-3", "0.125"), what cells
// hold: the digits as an integer and one exact power of ten give the correctly
// rounded double without strtod. Returns where the number ends, or nullptr to
// leave the text to strtod (exponents, long digit runs, no digits).
inline const char* plain_decimal(const char* first, const char* last, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = first;
  const bool negative = p != last && *p == '-';
  if (negative) ++p;
  std::uint64_t digits = 0;
  int significant = 0, scale = 0;
  bool any = false, point = false;
  for (; p != last; ++p) {
    if (*p >= '0' && *p <= '9') {
      any = true;
      if (point) ++scale;
      if (digits == 0 && *p == '0') continue;
      if (++significant > 15) return nullptr;
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any || scale > 22 || (p != last && (*p == 'e' || *p == 'E'))) return nullptr;
  const double magnitude = static_cast<double>(digits) / kPowers[scale];
  value = negative ? -magnitude : magnitude;
  return p;
}

}  // namespace charconv_compat

#if !defined(__cpp_lib_to_chars)
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format fmt = chars_format::general) {
  // No leading space, plus sign or hex prefix, as the standard function.
  if (first == last || *first == ' ' || *first == '+' || *first == '\t') return {first, errc::invalid_argument};
  if (fmt == chars_format::general)
    if (const char* end = charconv_compat::plain_decimal(first, last, value)) return {end, errc{}};
  std::string text(first, last);
  const std::size_t digits = text.find_first_not_of('-');
  if (digits != std::string::npos && text.compare(digits, 2, "0x") == 0) text.resize(digits + 1);
  if (fmt == chars_format::fixed) {
    const std::size_t e = text.find_first_of("eE");
    if (e != std::string::npos) text.resize(e);
  }
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (end == text.c_str()) return {first, errc::invalid_argument};
  const char* ptr = first + (end - text.c_str());
  if (errno == ERANGE) return {ptr, errc::result_out_of_range};
  value = parsed;
  return {ptr, errc{}};
}

inline from_chars_result from_chars(const char* first, const char* last, float& value,
                                    chars_format fmt = chars_format::general) {
  double wide = 0;
  const from_chars_result r = from_chars(first, last, wide, fmt);
  if (r.ec == errc{}) value = static_cast<float>(wide);
  return r;
}
#endif

namespace charconv_compat {

inline to_chars_result put(char* first, char* last, const char* text) {
  const std::size_t n = std::strlen(text);
  if (static_cast<std::size_t>(last - first) < n) return {last, errc::value_too_large};
  std::memcpy(first, text, n);
  return {first + n, errc{}};
}

// The fewest significant digits that read back as `value`, and its decimal exponent.
inline int shortest_digits(double value, int& exponent) {
  char buf[64];
  int digits = 1;
  for (; digits < 17; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
    if (std::strtod(buf, nullptr) == value) break;
  }
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
  exponent = std::atoi(std::strchr(buf, 'e') + 1);
  return digits;
}

// The shortest text that reads back as `value`: scientific ('e'), fixed ('f'),
// whichever of the two is shorter with fixed on a tie ('p', the plain to_chars),
// or fixed only for exponents from -4 to 5 ('g').
inline to_chars_result shortest(char* first, char* last, double value, char style) {
  char fixed[400], scientific[64];
  if (!std::isfinite(value)) {
    std::snprintf(fixed, sizeof fixed, "%g", value);
    return put(first, last, fixed);
  }
  int exponent = 0;
  const int digits = value == 0 ? 1 : shortest_digits(value, exponent);
  std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
  std::snprintf(fixed, sizeof fixed, "%.*f", std::max(0, digits - 1 - exponent), value);
  switch (style) {
    case 'e': return put(first, last, scientific);
    case 'f': return put(first, last, fixed);
    case 'g': return put(first, last, exponent < -4 || exponent >= 6 ? scientific : fixed);
    default: return put(first, last, std::strlen(fixed) <= std::strlen(scientific) ? fixed : scientific);
  }
}

}  // namespace charconv_compat

#if !defined(__cpp_lib_to_chars)
inline to_chars_result to_chars(char* first, char* last, double value) {
  return charconv_compat::shortest(first, last, value, 'p');
}

inline to_chars_result to_chars(char* first, char* last, double value, chars_format fmt) {
  return charconv_compat::shortest(first, last, value,
                                   fmt == chars_format::fixed ? 'f' : fmt == chars_format::scientific ? 'e' : 'g');
}

inline to_chars_result to_chars(char* first, char* last, double value, chars_format fmt, int precision) {
  char buf[512];
  const char* pattern = fmt == chars_format::fixed ? "%.*f" : fmt == chars_format::scientific ? "%.*e" : "%.*g";
  std::snprintf(buf, sizeof buf, pattern, precision, value);
  return charconv_compat::put(first, last, buf);
}
#endif

}  // namespace std
