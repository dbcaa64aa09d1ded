#include "text_metrics.h"

#include <cmath>

namespace stilaro::view {
namespace {

struct WidthRun {
  const char32_t* chars;
  int regular;
  int bold;
};

// Characters grouped by their shared advance widths; anything else is 620.
constexpr WidthRun kWidths[] = {
    {U"'", 221, 233},
    {U" ", 226, 226},
    {U"il\u00ec", 229, 246},
    {U"j", 239, 255},
    {U",\u2018\u2019", 250, 258},
    {U".I\u00cc", 252, 267},
    {U"\u00b7", 252, 268},
    {U":;", 268, 276},
    {U"`", 291, 300},
    {U"()", 303, 312},
    {U"f", 305, 316},
    {U"-", 306, 306},
    {U"[]", 307, 325},
    {U"{}", 314, 344},
    {U"J", 319, 331},
    {U"!", 326, 326},
    {U"t", 335, 347},
    {U"\u00b0", 339, 342},
    {U"r", 349, 355},
    {U"/\\", 386, 430},
    {U"s", 391, 399},
    {U"z", 395, 397},
    {U"\"", 401, 438},
    {U"\u201c\u201d", 418, 435},
    {U"L", 420, 423},
    {U"c\u00e7", 423, 418},
    {U"x", 433, 459},
    {U"v", 452, 473},
    {U"y", 453, 474},
    {U"k", 455, 480},
    {U"F", 459, 459},
    {U"S", 459, 473},
    {U"|", 460, 475},
    {U"?", 463, 463},
    {U"Z", 468, 478},
    {U"g", 471, 474},
    {U"a\u00e0\u00e4", 479, 494},
    {U"T", 487, 495},
    {U"Y", 487, 520},
    {U"E\u00c8\u00c9", 488, 488},
    {U"#*+<=>^_~\u2013\u00d7", 498, 498},
    {U"e\u00e8\u00e9", 498, 503},
    {U"$0123456789\u20ac", 507, 507},
    {U"\u00ab\u00bb", 512, 539},
    {U"P", 517, 532},
    {U"X", 519, 551},
    {U"K", 520, 547},
    {U"bdhnpqu\u00f9\u00f1\u00fc", 525, 537},
    {U"o\u00f2\u00f6", 527, 538},
    {U"\u00df", 527, 555},
    {U"C", 533, 529},
    {U"R", 543, 563},
    {U"B", 544, 561},
    {U"V", 567, 591},
    {U"A\u00c0", 579, 606},
    {U"D", 615, 630},
    {U"H", 623, 631},
    {U"G", 631, 637},
    {U"U\u00d9", 642, 653},
    {U"N", 646, 659},
    {U"O\u00d2", 662, 676},
    {U"\u00bd", 671, 691},
    {U"Q", 673, 686},
    {U"&", 682, 705},
    {U"\u2026", 690, 711},
    {U"%", 715, 729},
    {U"w", 715, 745},
    {U"m", 799, 813},
    {U"M", 855, 874},
    {U"W", 890, 906},
    {U"@", 894, 898},
    {U"\u2014", 905, 905},
};

struct Table {
  unsigned short regular[0x20B0] = {};
  unsigned short bold[0x20B0] = {};
  Table() {
    for (const auto& run : kWidths)
      for (const char32_t* c = run.chars; *c; ++c) {
        regular[*c] = static_cast<unsigned short>(run.regular);
        bold[*c] = static_cast<unsigned short>(run.bold);
      }
  }
};

const Table& table() {
  static const Table t;
  return t;
}

std::vector<std::string> split_paragraphs(std::string_view s) {
  std::vector<std::string> out(1);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out.emplace_back();
    } else {
      out.back() += s[i];
    }
  }
  return out;
}

}  // namespace

char32_t next_code_point(std::string_view s, std::size_t& i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  const int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
  if (extra == 0) {
    ++i;
    return b;
  }
  if (extra < 0 || i + extra >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const unsigned char cont = static_cast<unsigned char>(s[i + k]);
    if ((cont & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (cont & 0x3F);
  }
  i += extra + 1;
  return c;
}

int advance_per_mille(char32_t c, bool bold) {
  if (c < 0x20B0) {
    int w = bold ? table().bold[c] : table().regular[c];
    if (w) return w;
  }
  return 620;
}

double text_width_px(std::string_view utf8, double size_pt, bool bold) {
  long total = 0;
  for (std::size_t i = 0; i < utf8.size();) total += advance_per_mille(next_code_point(utf8, i), bold);
  return total / 1000.0 * size_pt * 4.0 / 3.0;
}

std::vector<std::string> wrap_lines(std::string_view utf8, double size_pt, bool bold, double width_px) {
  const double space = text_width_px(" ", size_pt, bold);
  std::vector<std::string> lines;
  for (const std::string& paragraph : split_paragraphs(utf8)) {
    std::string line;
    double at = 0;
    std::size_t start = 0;
    while (start <= paragraph.size()) {
      std::size_t end = paragraph.find(' ', start);
      if (end == std::string::npos) end = paragraph.size();
      std::string_view word(paragraph.data() + start, end - start);
      start = end + 1;
      if (word.empty()) {
        if (!line.empty()) {
          line += ' ';
          at += space;
        }
        continue;
      }
      double w = text_width_px(word, size_pt, bold);
      if (!line.empty() && at + space + w <= width_px) {
        line += ' ';
        line += word;
        at += space + w;
        continue;
      }
      if (!line.empty()) {
        lines.push_back(line);
        line.clear();
        at = 0;
      }
      // A word wider than the cell is broken where it overflows.
      std::size_t i = 0;
      while (i < word.size()) {
        std::size_t before = i;
        char32_t c = next_code_point(word, i);
        double cw = advance_per_mille(c, bold) / 1000.0 * size_pt * 4.0 / 3.0;
        if (!line.empty() && at + cw > width_px) {
          lines.push_back(line);
          line.clear();
          at = 0;
        }
        line.append(word.substr(before, i - before));
        at += cw;
      }
    }
    lines.push_back(line);
  }
  return lines;
}

double line_height_pt(double size_pt) {
  if (size_pt == 9) return 12.5;
  if (size_pt == 10) return 13.75;
  if (size_pt == 11) return 15;
  if (size_pt == 12) return 16.5;
  if (size_pt == 14) return 19;
  if (size_pt == 20) return 27;
  return std::ceil(size_pt * 1.37 * 4) / 4;
}

double column_px(double width_chars) {
  if (width_chars <= 0) return 0;
  return std::floor((256 * width_chars + 18) / 256 * 7);
}

double column_chars(double px) { return std::floor(px / 7 * 256) / 256; }

}  // namespace stilaro::view
