#include "text_metrics.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace stilaro::view {
namespace {

struct Advance {
  char32_t code;
  unsigned short regular, bold, italic, bold_italic;
};

// Every character the page's cell font carries, sorted by code point; anything else is 620.
constexpr Advance kAdvances[] = {
#include "advance_widths.inc"
};
static_assert(kAdvances[0].code == 0x20 && kAdvances[0x7E - 0x20].code == 0x7E, "printable ASCII opens the table");
static_assert(std::is_sorted(std::begin(kAdvances), std::end(kAdvances),
                             [](const Advance& a, const Advance& b) { return a.code < b.code; }));

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

int advance_per_mille(char32_t c, bool bold, bool italic) {
  // Printable ASCII opens the table, one entry per character.
  const Advance* a = nullptr;
  if (c >= 0x20 && c < 0x7F) {
    a = &kAdvances[c - 0x20];
  } else {
    auto it = std::lower_bound(std::begin(kAdvances), std::end(kAdvances), c,
                               [](const Advance& x, char32_t code) { return x.code < code; });
    if (it == std::end(kAdvances) || it->code != c) return 620;
    a = &*it;
  }
  return italic ? (bold ? a->bold_italic : a->italic) : (bold ? a->bold : a->regular);
}

double text_width_px(std::string_view utf8, double size_pt, bool bold, bool italic) {
  long total = 0;
  for (std::size_t i = 0; i < utf8.size();) total += advance_per_mille(next_code_point(utf8, i), bold, italic);
  return total / 1000.0 * size_pt * 4.0 / 3.0;
}

namespace {

// Lines of a wrapping cell as text.
struct TextLines {
  std::vector<std::string> lines;
  std::string line;
  bool empty() const { return line.empty(); }
  void add(std::string_view piece) { line.append(piece); }
  void end() {
    lines.push_back(std::move(line));
    line.clear();
  }
};

// Only how many: row fitting asks for every wrapping cell of the sheet.
struct LineCount {
  std::size_t lines = 0;
  bool blank = true;
  bool empty() const { return blank; }
  void add(std::string_view piece) { blank = blank && piece.empty(); }
  void end() {
    ++lines;
    blank = true;
  }
};

template <class Lines>
void wrap(std::string_view utf8, double size_pt, bool bold, double width_px, bool italic, Lines& out) {
  const double space = text_width_px(" ", size_pt, bold, italic);
  std::size_t from = 0;
  for (;;) {
    std::size_t stop = utf8.find_first_of("\r\n", from);
    if (stop == std::string_view::npos) stop = utf8.size();
    const std::string_view paragraph = utf8.substr(from, stop - from);
    double at = 0;
    std::size_t start = 0;
    while (start <= paragraph.size()) {
      std::size_t end = paragraph.find(' ', start);
      if (end == std::string_view::npos) end = paragraph.size();
      const std::string_view word = paragraph.substr(start, end - start);
      start = end + 1;
      if (word.empty()) {
        if (!out.empty()) {
          out.add(" ");
          at += space;
        }
        continue;
      }
      const double w = text_width_px(word, size_pt, bold, italic);
      if (!out.empty() && at + space + w <= width_px) {
        out.add(" ");
        out.add(word);
        at += space + w;
        continue;
      }
      if (!out.empty()) {
        out.end();
        at = 0;
      }
      // A word wider than the cell is broken where it overflows.
      std::size_t i = 0;
      while (i < word.size()) {
        const std::size_t before = i;
        const char32_t c = next_code_point(word, i);
        const double cw = advance_per_mille(c, bold, italic) / 1000.0 * size_pt * 4.0 / 3.0;
        if (!out.empty() && at + cw > width_px) {
          out.end();
          at = 0;
        }
        out.add(word.substr(before, i - before));
        at += cw;
      }
    }
    out.end();
    if (stop == utf8.size()) break;
    from = stop + (utf8[stop] == '\r' && stop + 1 < utf8.size() && utf8[stop + 1] == '\n' ? 2 : 1);
  }
}

}  // namespace

std::vector<std::string> wrap_lines(std::string_view utf8, double size_pt, bool bold, double width_px, bool italic) {
  TextLines out;
  wrap(utf8, size_pt, bold, width_px, italic, out);
  return std::move(out.lines);
}

std::size_t wrapped_line_count(std::string_view utf8, double size_pt, bool bold, double width_px, bool italic) {
  LineCount out;
  wrap(utf8, size_pt, bold, width_px, italic, out);
  return out.lines;
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
