#include "number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <span>
#include <vector>

#include "formula.h"

namespace stilaro {

namespace {

constexpr char kDecimal = ',';
constexpr char kThousands = '.';
constexpr int kMaxDenominator = 99999;

constexpr std::array<std::string_view, 12> kMonths = {
    "gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno",
    "luglio", "agosto", "settembre", "ottobre", "novembre", "dicembre"};
constexpr std::array<std::string_view, 7> kDays = {
    "domenica", "lunedì", "martedì", "mercoledì", "giovedì", "venerdì", "sabato"};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// First `n` UTF-8 characters of s.
std::string_view utf8_prefix(std::string_view s, std::size_t n) {
  std::size_t i = 0;
  while (i < s.size() && n > 0) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    --n;
  }
  return s.substr(0, i);
}

struct Token {
  enum class Kind : std::uint8_t {
    Literal, Digit, Decimal, Thousands, Percent, Exponent, Text, General,
    Year, Month, Day, Hour, Minute, Second, AmPm, ElapsedHours, ElapsedMinutes, ElapsedSeconds,
    FractionOfSecond
  };
  Kind kind;
  std::string text;  // literal text; the placeholder char; the exponent sign
  int width = 0;     // letters in a date code, digits in an exponent
};

struct Condition {
  std::string op;
  double value = 0;
  bool matches(double x) const {
    if (op == "<") return x < value;
    if (op == ">") return x > value;
    if (op == "<=") return x <= value;
    if (op == ">=") return x >= value;
    if (op == "=") return x == value;
    if (op == "<>") return x != value;
    return true;
  }
};

struct Section {
  std::vector<Token> tokens;
  std::optional<Condition> condition;
  std::optional<std::uint32_t> color;
  bool is_date = false;
  bool has_ampm = false;
  bool has_text = false;
  bool is_general = false;
  int percent = 0;
  int scale_commas = 0;  // thousands commas after the last digit: divide by 1000 each
  bool grouping = false;
  // Fractions ("# ?/?", "?/4"): whole-number part shown, numerator, denominator.
  bool fraction = false;
  bool fraction_whole = false;
  int denominator_digits = 0;
  int fixed_denominator = 0;
};

std::optional<std::uint32_t> named_color(std::string_view name) {
  static constexpr std::pair<std::string_view, std::uint32_t> kColors[] = {
      {"black", 0xFF000000}, {"red", 0xFFFF0000}, {"green", 0xFF00FF00}, {"blue", 0xFF0000FF},
      {"yellow", 0xFFFFFF00}, {"magenta", 0xFFFF00FF}, {"cyan", 0xFF00FFFF}, {"white", 0xFFFFFFFF}};
  for (const auto& [n, c] : kColors)
    if (iequals(name, n)) return c;
  return std::nullopt;
}

void literal(Section& s, std::string_view text) {
  if (!s.tokens.empty() && s.tokens.back().kind == Token::Kind::Literal) s.tokens.back().text += text;
  else s.tokens.push_back({Token::Kind::Literal, std::string(text)});
}

// Reads one ";"-separated section of a format code.
Section parse_section(std::string_view code) {
  Section s;
  bool seen_digit = false;
  std::size_t i = 0;
  while (i < code.size()) {
    char c = code[i];
    char lc = lower(c);
    if (c == '"') {
      std::size_t end = code.find('"', i + 1);
      if (end == std::string_view::npos) end = code.size();
      literal(s, code.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '\\') {
      if (i + 1 < code.size()) {
        std::size_t len = 1;
        while (i + 1 + len < code.size() && (static_cast<unsigned char>(code[i + 1 + len]) & 0xC0) == 0x80) ++len;
        literal(s, code.substr(i + 1, len));
        i += 1 + len;
      } else {
        ++i;
      }
    } else if (c == '_') {
      literal(s, " ");
      i += 2;
    } else if (c == '*') {
      i += 2;  // fill character: cells are drawn without it
    } else if (c == '[') {
      std::size_t end = code.find(']', i);
      if (end == std::string_view::npos) end = code.size();
      std::string_view inner = code.substr(i + 1, end - i - 1);
      i = end + 1;
      if (inner.empty()) continue;
      if (inner[0] == '$') {
        auto dash = inner.find('-');
        literal(s, inner.substr(1, dash == std::string_view::npos ? std::string_view::npos : dash - 1));
      } else if (inner[0] == '<' || inner[0] == '>' || inner[0] == '=') {
        Condition cond;
        std::size_t n = 1;
        if (inner.size() > 1 && (inner[1] == '=' || inner[1] == '>')) n = 2;
        cond.op = std::string(inner.substr(0, n));
        auto num = inner.substr(n);
        std::from_chars(num.data(), num.data() + num.size(), cond.value);
        s.condition = cond;
      } else if (iequals(inner, "h") || iequals(inner, "hh")) {
        s.tokens.push_back({Token::Kind::ElapsedHours, {}, static_cast<int>(inner.size())});
        s.is_date = true;
      } else if (iequals(inner, "m") || iequals(inner, "mm")) {
        s.tokens.push_back({Token::Kind::ElapsedMinutes, {}, static_cast<int>(inner.size())});
        s.is_date = true;
      } else if (iequals(inner, "s") || iequals(inner, "ss")) {
        s.tokens.push_back({Token::Kind::ElapsedSeconds, {}, static_cast<int>(inner.size())});
        s.is_date = true;
      } else if (inner.size() > 5 && iequals(inner.substr(0, 5), "color")) {
        int n = 0;
        std::from_chars(inner.data() + 5, inner.data() + inner.size(), n);
        static constexpr std::uint32_t kPalette[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
        if (n >= 1 && n <= 8) s.color = 0xFF000000 | kPalette[n - 1];
      } else if (auto col = named_color(inner)) {
        s.color = col;
      }
    } else if (c == '0' || c == '#' || c == '?') {
      s.tokens.push_back({Token::Kind::Digit, std::string(1, c)});
      seen_digit = true;
      ++i;
    } else if (c == '.') {
      bool after_seconds = !s.tokens.empty() && s.tokens.back().kind == Token::Kind::Second;
      if (after_seconds && i + 1 < code.size() && code[i + 1] == '0') {
        int w = 0;
        ++i;
        while (i < code.size() && code[i] == '0') ++w, ++i;
        s.tokens.push_back({Token::Kind::FractionOfSecond, {}, w});
      } else {
        s.tokens.push_back({Token::Kind::Decimal, {}});
        ++i;
      }
    } else if (c == ',') {
      if (seen_digit) s.tokens.push_back({Token::Kind::Thousands, {}});
      else literal(s, ",");
      ++i;
    } else if (c == '%') {
      s.tokens.push_back({Token::Kind::Percent, {}});
      ++s.percent;
      ++i;
    } else if (lc == 'e' && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-') && seen_digit) {
      Token t{Token::Kind::Exponent, std::string(1, code[i + 1])};
      i += 2;
      while (i < code.size() && (code[i] == '0' || code[i] == '#')) ++t.width, ++i;
      s.tokens.push_back(t);
    } else if (c == '@') {
      s.tokens.push_back({Token::Kind::Text, {}});
      s.has_text = true;
      ++i;
    } else if (iequals(code.substr(i, 7), "general")) {
      s.tokens.push_back({Token::Kind::General, {}});
      s.is_general = true;
      i += 7;
    } else if (iequals(code.substr(i, 5), "am/pm")) {
      s.tokens.push_back({Token::Kind::AmPm, "AM/PM"});
      s.has_ampm = s.is_date = true;
      i += 5;
    } else if (iequals(code.substr(i, 3), "a/p")) {
      s.tokens.push_back({Token::Kind::AmPm, "A/P"});
      s.has_ampm = s.is_date = true;
      i += 3;
    } else if (lc == 'y' || lc == 'm' || lc == 'd' || lc == 'h' || lc == 's') {
      int w = 0;
      while (i < code.size() && lower(code[i]) == lc) ++w, ++i;
      Token::Kind k = lc == 'y' ? Token::Kind::Year : lc == 'm' ? Token::Kind::Month
                    : lc == 'd' ? Token::Kind::Day : lc == 'h' ? Token::Kind::Hour : Token::Kind::Second;
      s.tokens.push_back({k, {}, w});
      s.is_date = true;
    } else {
      std::size_t len = 1;
      while (i + len < code.size() && (static_cast<unsigned char>(code[i + len]) & 0xC0) == 0x80) ++len;
      literal(s, code.substr(i, len));
      i += len;
    }
  }

  // A "/" after a digit placeholder, followed by placeholders or a number, makes a fraction.
  for (std::size_t k = 1; k < s.tokens.size() && !s.is_date; ++k) {
    const Token& t = s.tokens[k];
    if (t.kind != Token::Kind::Literal || t.text.empty() || t.text[0] != '/' ||
        s.tokens[k - 1].kind != Token::Kind::Digit)
      continue;
    std::string_view rest(t.text);
    rest.remove_prefix(1);
    // A denominator of more digits than anyone writes is no fraction, only text.
    int fixed = 0;
    for (char c : rest) {
      if (c < '0' || c > '9') break;
      fixed = fixed > kMaxDenominator ? kMaxDenominator + 1 : fixed * 10 + (c - '0');
    }
    if (fixed > kMaxDenominator) continue;
    int digits = 0;
    for (std::size_t j = k + 1; j < s.tokens.size() && s.tokens[j].kind == Token::Kind::Digit; ++j) ++digits;
    if (fixed == 0 && digits == 0) continue;
    s.fraction = true;
    s.fixed_denominator = fixed;
    s.denominator_digits = std::min(digits, 4);
    // A placeholder group, then a space, before the numerator is the whole part.
    std::size_t j = k - 1;
    while (j > 0 && s.tokens[j - 1].kind == Token::Kind::Digit) --j;
    s.fraction_whole = j >= 2 && s.tokens[j - 1].kind == Token::Kind::Literal && s.tokens[j - 2].kind == Token::Kind::Digit;
    break;
  }

  // "m" right after hours or right before seconds means minutes.
  for (std::size_t k = 0; k < s.tokens.size(); ++k) {
    if (s.tokens[k].kind != Token::Kind::Month || s.tokens[k].width > 2) continue;
    bool minutes = false;
    for (std::size_t j = k; j-- > 0;) {
      auto kind = s.tokens[j].kind;
      if (kind == Token::Kind::Literal) continue;
      minutes = kind == Token::Kind::Hour || kind == Token::Kind::ElapsedHours;
      break;
    }
    for (std::size_t j = k + 1; j < s.tokens.size() && !minutes; ++j) {
      auto kind = s.tokens[j].kind;
      if (kind == Token::Kind::Literal) continue;
      minutes = kind == Token::Kind::Second || kind == Token::Kind::ElapsedSeconds;
      break;
    }
    if (minutes) s.tokens[k].kind = Token::Kind::Minute;
  }

  // Thousands commas between digits group; commas after the last digit scale.
  std::size_t last_digit = 0;
  bool any_digit = false;
  for (std::size_t k = 0; k < s.tokens.size(); ++k) {
    if (s.tokens[k].kind == Token::Kind::Decimal || s.tokens[k].kind == Token::Kind::Exponent) break;
    if (s.tokens[k].kind == Token::Kind::Digit) last_digit = k, any_digit = true;
  }
  for (std::size_t k = 0; k < s.tokens.size(); ++k) {
    if (s.tokens[k].kind != Token::Kind::Thousands) continue;
    if (any_digit && k < last_digit) s.grouping = true;
    else ++s.scale_commas;
  }
  return s;
}

std::vector<Section> parse_code(std::string_view code) {
  std::vector<Section> out;
  std::size_t start = 0;
  bool quoted = false, bracket = false;
  for (std::size_t i = 0; i <= code.size(); ++i) {
    if (i < code.size()) {
      char c = code[i];
      if (c == '\\' && !quoted) {
        ++i;
        continue;
      }
      if (c == '"') quoted = !quoted;
      if (!quoted && c == '[') bracket = true;
      if (!quoted && c == ']') bracket = false;
      if (quoted || bracket || c != ';') continue;
    }
    out.push_back(parse_section(code.substr(start, i - start)));
    start = i + 1;
  }
  return out;
}

// A card shows thousands of cells in a handful of formats: each code is parsed once.
// The reference holds until the next call; a file or formula with very many codes
// only starts the cache again.
const std::vector<Section>& sections_of(std::string_view code) {
  thread_local std::map<std::string, std::vector<Section>, std::less<>> parsed;
  if (auto it = parsed.find(code); it != parsed.end()) return it->second;
  if (parsed.size() >= 256) parsed.clear();
  return parsed.emplace(std::string(code), parse_code(code)).first->second;
}

// Fixed-point digits of |x| with `decimals` places: integer digits ("" for 0) and
// exactly `decimals` fraction digits.
void fixed_digits(double x, int decimals, std::string& integer, std::string& fraction) {
  char buf[400];
  double a = std::abs(x);
  double scaled = a * std::pow(10.0, decimals);
  std::string_view s;
  std::string digits;
  if (decimals <= 15 && scaled < 1e15) {
    // Halves round away from zero, after the binary noise is cleaned off (2.675 -> 2.68).
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, scaled, std::chars_format::scientific, 14);
    double cleaned = scaled;
    if (ec == std::errc()) std::from_chars(buf, p, cleaned);
    auto [q, ec2] = std::to_chars(buf, buf + sizeof buf, std::floor(cleaned + 0.5), std::chars_format::fixed, 0);
    digits.assign(buf, ec2 == std::errc() ? q : buf);
    if (static_cast<int>(digits.size()) <= decimals) digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    integer = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    fraction = digits.substr(digits.size() - static_cast<std::size_t>(decimals));
  } else {
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed, decimals);
    s = std::string_view(buf, ec == std::errc() ? static_cast<std::size_t>(p - buf) : 0);
    auto dot = s.find('.');
    integer = std::string(s.substr(0, dot));
    fraction = dot == std::string_view::npos ? std::string() : std::string(s.substr(dot + 1));
  }
  std::size_t nz = integer.find_first_not_of('0');
  integer = nz == std::string::npos ? std::string() : integer.substr(nz);
}

std::string format_fraction(double x, const Section& s, bool show_minus) {
  double a = std::abs(x);
  double whole = s.fraction_whole ? std::floor(a) : 0;
  double rest = a - whole;
  long long best_num = 0, best_den = 1;
  if (s.fixed_denominator > 0) {
    best_den = s.fixed_denominator;
    best_num = std::llround(rest * static_cast<double>(best_den));
  } else {
    long long max_den = 1;
    for (int i = 0; i < s.denominator_digits; ++i) max_den *= 10;
    max_den = std::max(1LL, max_den - 1);
    double best_err = 2;
    for (long long den = 1; den <= max_den; ++den) {
      long long num = std::llround(rest * static_cast<double>(den));
      double err = std::abs(rest - static_cast<double>(num) / static_cast<double>(den));
      if (err < best_err - 1e-12) best_err = err, best_num = num, best_den = den;
    }
  }
  if (best_num == best_den && s.fraction_whole) whole += 1, best_num = 0;
  std::string out;
  if (x < 0 && show_minus && (whole > 0 || best_num > 0)) out.push_back('-');
  if (s.fraction_whole && (whole > 0 || best_num == 0)) out += std::to_string(static_cast<long long>(whole));
  if (best_num > 0) {
    if (!out.empty() && out != "-") out.push_back(' ');
    out += std::to_string(best_num) + "/" + std::to_string(best_den);
  } else if (!s.fraction_whole) {
    out += "0";
  }
  return out;
}

std::string format_number_section(double x, const Section& s, bool show_minus) {
  if (s.fraction) return format_fraction(x, s, show_minus);
  int int_places = 0, frac_places = 0;
  bool in_fraction = false, exponent = false;
  int exp_width = 0;
  for (const auto& t : s.tokens) {
    if (t.kind == Token::Kind::Decimal) in_fraction = true;
    if (t.kind == Token::Kind::Exponent) exponent = true, exp_width = t.width;
    if (t.kind == Token::Kind::Digit && !exponent) (in_fraction ? frac_places : int_places)++;
  }
  for (int i = 0; i < s.percent; ++i) x *= 100;
  for (int i = 0; i < s.scale_commas; ++i) x /= 1000;

  int exp_value = 0;
  if (exponent && x != 0) {
    int step = int_places > 1 && int_places <= 3 ? int_places : 1;
    exp_value = static_cast<int>(std::floor(std::log10(std::abs(x))));
    exp_value = static_cast<int>(std::floor(static_cast<double>(exp_value) / step)) * step;
    x /= std::pow(10.0, exp_value);
    // Rounding may carry into one more integer digit.
    double limit = std::pow(10.0, step);
    if (std::abs(std::round(x * std::pow(10.0, frac_places)) / std::pow(10.0, frac_places)) >= limit) {
      x /= std::pow(10.0, step);
      exp_value += step;
    }
  }

  std::string intd, fracd;
  fixed_digits(x, frac_places, intd, fracd);
  bool negative = x < 0 && (!intd.empty() || fracd.find_first_not_of('0') != std::string::npos);

  std::string out;
  if (negative && show_minus) out.push_back('-');
  int int_index = 0, frac_index = 0;
  in_fraction = false;
  bool after_exponent = false;
  std::size_t last_nonzero = fracd.find_last_not_of('0');
  for (const auto& t : s.tokens) {
    switch (t.kind) {
      case Token::Kind::Literal: out += t.text; break;
      case Token::Kind::Decimal: in_fraction = true; out.push_back(kDecimal); break;
      case Token::Kind::Digit: {
        if (after_exponent) break;
        char ph = t.text[0];
        if (!in_fraction) {
          int pos = int_places - 1 - int_index;  // position from the right
          std::string emitted;
          if (int_index == 0 && static_cast<int>(intd.size()) > int_places)
            emitted = intd.substr(0, intd.size() - static_cast<std::size_t>(int_places));
          if (pos < static_cast<int>(intd.size())) emitted.push_back(intd[intd.size() - 1 - static_cast<std::size_t>(pos)]);
          else if (ph == '0') emitted.push_back('0');
          else if (ph == '?') emitted.push_back(' ');
          for (std::size_t k = 0; k < emitted.size(); ++k) {
            out.push_back(emitted[k]);
            // Position (from the right) of the digit just written.
            int p = pos + static_cast<int>(emitted.size() - 1 - k);
            if (s.grouping && p > 0 && p % 3 == 0 && emitted[k] != ' ') out.push_back(kThousands);
          }
          ++int_index;
        } else {
          std::size_t j = static_cast<std::size_t>(frac_index++);
          bool trailing_zero = last_nonzero == std::string::npos || j > last_nonzero;
          if (j < fracd.size() && !(trailing_zero && ph != '0')) out.push_back(fracd[j]);
          else if (ph == '?') out.push_back(' ');
          else if (ph == '0') out.push_back('0');
        }
        break;
      }
      case Token::Kind::Percent: out.push_back('%'); break;
      case Token::Kind::Exponent: {
        after_exponent = true;
        out.push_back('E');
        if (exp_value < 0) out.push_back('-');
        else if (t.text == "+") out.push_back('+');
        std::string e = std::to_string(std::abs(exp_value));
        while (static_cast<int>(e.size()) < exp_width) e.insert(e.begin(), '0');
        out += e;
        break;
      }
      case Token::Kind::General: {
        std::string g = format_general(std::abs(x));
        out += g;
        break;
      }
      default: break;
    }
  }
  return out;
}

std::string two(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

std::string format_date_section(double serial, const Section& s) {
  // Round to the precision shown (seconds, or the fraction of seconds).
  int frac_width = 0;
  for (const auto& t : s.tokens)
    if (t.kind == Token::Kind::FractionOfSecond) frac_width = t.width;
  double unit = 86400.0 * std::pow(10.0, frac_width);
  double ticks = std::round(serial * unit);
  double day = std::floor(ticks / unit);
  double in_day = ticks - day * unit;  // in units of 10^-frac_width seconds
  double scale = std::pow(10.0, frac_width);
  auto secs_total = static_cast<long long>(std::floor(in_day / scale));
  long long frac = static_cast<long long>(in_day - static_cast<double>(secs_total) * scale);

  int y = 0, mo = 0, d = 0;
  if (!serial_to_date(day, y, mo, d)) return std::string(11, '#');
  int h = static_cast<int>(secs_total / 3600), mi = static_cast<int>(secs_total / 60 % 60), se = static_cast<int>(secs_total % 60);
  int weekday = static_cast<int>(static_cast<long long>(day + 6) % 7);  // serial 1 (1900-01-01) was a Sunday in this system

  std::string out;
  for (const auto& t : s.tokens) {
    switch (t.kind) {
      case Token::Kind::Literal: out += t.text; break;
      case Token::Kind::Year: out += t.width <= 2 ? two(y % 100) : std::to_string(y); break;
      case Token::Kind::Month:
        if (t.width == 1) out += std::to_string(mo);
        else if (t.width == 2) out += two(mo);
        else if (t.width == 3) out += utf8_prefix(kMonths[static_cast<std::size_t>(mo - 1)], 3);
        else if (t.width == 4) out += kMonths[static_cast<std::size_t>(mo - 1)];
        else out += utf8_prefix(kMonths[static_cast<std::size_t>(mo - 1)], 1);
        break;
      case Token::Kind::Day:
        if (t.width == 1) out += std::to_string(d);
        else if (t.width == 2) out += two(d);
        else if (t.width == 3) out += utf8_prefix(kDays[static_cast<std::size_t>(weekday)], 3);
        else out += kDays[static_cast<std::size_t>(weekday)];
        break;
      case Token::Kind::Hour: {
        int hh = h;
        if (s.has_ampm) hh = h % 12 == 0 ? 12 : h % 12;
        out += t.width >= 2 ? two(hh) : std::to_string(hh);
        break;
      }
      case Token::Kind::Minute: out += t.width >= 2 ? two(mi) : std::to_string(mi); break;
      case Token::Kind::Second: out += t.width >= 2 ? two(se) : std::to_string(se); break;
      case Token::Kind::FractionOfSecond: {
        std::string f = std::to_string(frac);
        while (static_cast<int>(f.size()) < t.width) f.insert(f.begin(), '0');
        out.push_back(kDecimal);
        out += f;
        break;
      }
      case Token::Kind::AmPm:
        if (t.text == "A/P") out += h < 12 ? "A" : "P";
        else out += h < 12 ? "AM" : "PM";
        break;
      case Token::Kind::ElapsedHours: {
        auto total = static_cast<long long>(day) * 24 + h;
        std::string v = std::to_string(total);
        out += t.width >= 2 && v.size() < 2 ? "0" + v : v;
        break;
      }
      case Token::Kind::ElapsedMinutes: {
        auto total = (static_cast<long long>(day) * 24 + h) * 60 + mi;
        std::string v = std::to_string(total);
        out += t.width >= 2 && v.size() < 2 ? "0" + v : v;
        break;
      }
      case Token::Kind::ElapsedSeconds: {
        auto total = static_cast<long long>(day) * 86400 + secs_total;
        std::string v = std::to_string(total);
        out += t.width >= 2 && v.size() < 2 ? "0" + v : v;
        break;
      }
      default: break;
    }
  }
  return out;
}

std::string format_text_section(const std::string& text, const Section& s) {
  std::string out;
  for (const auto& t : s.tokens) {
    if (t.kind == Token::Kind::Literal) out += t.text;
    else if (t.kind == Token::Kind::Text) out += text;
  }
  return out;
}

// Whole numbers and numbers of up to three decimals, what cards mostly hold, written
// without the general printing path (slow in the module): x times 10^k is exact, so
// its digits are the ones fixed notation with `decimals` places would print.
std::optional<std::string> short_fixed(double x, int decimals) {
  const double a = std::abs(x);
  double scale = 1;
  for (int k = 0; k <= std::min(decimals, 3); ++k, scale *= 10) {
    const double scaled = a * scale;
    if (scaled >= 1e15 || scaled != std::floor(scaled)) continue;
    std::string digits = std::to_string(static_cast<long long>(scaled));
    if (k > 0) {
      if (digits.size() <= static_cast<std::size_t>(k)) digits.insert(0, static_cast<std::size_t>(k) + 1 - digits.size(), '0');
      digits.insert(digits.size() - static_cast<std::size_t>(k), 1, kDecimal);
      digits.erase(digits.find_last_not_of('0') + 1);
      if (digits.back() == kDecimal) digits.pop_back();
    }
    return x < 0 ? "-" + digits : digits;
  }
  return std::nullopt;
}

}  // namespace

std::string format_general(double x, int significant) {
  if (x == 0) return "0";
  if (!std::isfinite(x)) return "#NUM!";
  significant = std::clamp(significant, 1, 10);
  double a = std::abs(x);
  char buf[64];
  std::string out;
  const int whole_digits = a < 1 ? 1 : static_cast<int>(std::floor(std::log10(a))) + 1;
  const bool scientific = a >= 1e11 || a < 1e-9 || (significant < 10 && whole_digits > significant);
  if (!scientific)
    if (auto quick = short_fixed(x, std::max(0, significant - whole_digits))) return *quick;
  if (scientific) {
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, std::min(5, significant - 1));
    std::string_view s(buf, static_cast<std::size_t>(p - buf));
    auto e = s.find('e');
    std::string mant(s.substr(0, e));
    if (mant.find('.') != std::string::npos) {
      mant.erase(mant.find_last_not_of('0') + 1);
      if (mant.back() == '.') mant.pop_back();
    }
    int exp = 0;
    auto exps = s.substr(e + 1);
    std::from_chars(exps.data() + (exps[0] == '+' ? 1 : 0), exps.data() + exps.size(), exp);
    out = mant + "E" + (exp < 0 ? "-" : "+") + two(std::abs(exp));
  } else {
    int decimals = std::max(0, significant - whole_digits);
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    out.assign(buf, p);
    if (out.find('.') != std::string::npos) {
      out.erase(out.find_last_not_of('0') + 1);
      if (out.back() == '.') out.pop_back();
    }
    if (out == "-0") out = "0";
  }
  for (char& c : out)
    if (c == '.') c = kDecimal;
  return out;
}

std::string format_code_from_italian(std::string_view code) {
  if (iequals(code, "standard")) return "General";
  std::string out;
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"' || c == '[') {
      std::size_t end = code.find(c == '"' ? '"' : ']', i + 1);
      if (end == std::string_view::npos) end = code.size() - 1;
      out.append(code.substr(i, end - i + 1));
      i = end;
    } else if (c == '\\' && i + 1 < code.size()) {
      out.append(code.substr(i, 2));
      ++i;
    } else if (c == '.' || c == ',') {
      out.push_back(c == '.' ? ',' : '.');
    } else if (lower(c) == 'g') {
      out.push_back('d');
    } else if (lower(c) == 'a' && !iequals(code.substr(i, 5), "am/pm") && !iequals(code.substr(i, 3), "a/p")) {
      out.push_back('y');
    } else if (lower(c) == 'a') {
      std::size_t len = iequals(code.substr(i, 5), "am/pm") ? 5 : 3;
      out.append(code.substr(i, len));
      i += len - 1;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool format_is_date(std::string_view code) {
  const auto& sections = sections_of(code);
  return std::any_of(sections.begin(), sections.end(), [](const Section& s) { return s.is_date; });
}

bool format_is_text(std::string_view code) {
  const auto& sections = sections_of(code);
  return sections.size() == 1 && sections[0].has_text;
}

FormattedValue format_value(const Value& value, std::string_view code, bool date1904) {
  switch (value.type) {
    case Value::Type::Empty: return {};
    case Value::Type::Boolean: return {value.number != 0 ? "VERO" : "FALSO", std::nullopt};
    case Value::Type::Error: return {std::string(error_text(value.error)), std::nullopt};
    case Value::Type::Text: {
      const auto& sections = sections_of(code);
      if (sections.size() >= 4) return {format_text_section(value.text, sections[3]), sections[3].color};
      if (!sections.empty() && sections[0].has_text) return {format_text_section(value.text, sections[0]), sections[0].color};
      return {value.text, std::nullopt};
    }
    case Value::Type::Number: break;
  }
  double x = value.number;
  if (code.empty() || iequals(code, "general")) return {format_general(x), std::nullopt};
  // Text-only sections do not show numbers.
  std::span<const Section> sections = sections_of(code);
  while (sections.size() > 1 && sections.back().has_text) sections = sections.first(sections.size() - 1);
  if (sections.empty() || (sections.size() == 1 && sections[0].has_text)) return {format_general(x), std::nullopt};

  const Section* chosen = &sections[0];
  bool show_minus = true;
  bool conditional = std::any_of(sections.begin(), sections.end(), [](const Section& s) { return s.condition.has_value(); });
  if (conditional) {
    chosen = nullptr;
    for (const auto& s : sections) {
      if (!s.condition || s.condition->matches(x)) {
        chosen = &s;
        break;
      }
    }
    if (!chosen) return {std::string("#"), std::nullopt};
    // A section for negatives written as such shows its own sign.
    show_minus = !(chosen->condition && (chosen->condition->op == "<" || chosen->condition->op == "<=") &&
                   chosen->condition->value <= 0);
  } else if (x < 0 && sections.size() >= 2) {
    chosen = &sections[1];
    show_minus = false;
  } else if (x == 0 && sections.size() >= 3) {
    chosen = &sections[2];
  }

  if (chosen->is_date) {
    double serial = date1904 ? x + 1462 : x;
    if (serial < 0) return {std::string(11, '#'), chosen->color};
    return {format_date_section(serial, *chosen), chosen->color};
  }
  if (chosen->is_general) {
    bool only_general = std::all_of(chosen->tokens.begin(), chosen->tokens.end(), [](const Token& t) {
      return t.kind == Token::Kind::General || t.kind == Token::Kind::Literal;
    });
    if (only_general) {
      std::string out;
      if (x < 0 && show_minus) out.push_back('-');
      for (const auto& t : chosen->tokens) out += t.kind == Token::Kind::General ? format_general(std::abs(x)) : t.text;
      return {out, chosen->color};
    }
  }
  if (!show_minus || x >= 0) return {format_number_section(std::abs(x), *chosen, false), chosen->color};
  return {format_number_section(x, *chosen, true), chosen->color};
}

}  // namespace stilaro
