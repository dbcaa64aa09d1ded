#pragma once
// Text measured with Calibri's advance widths (Carlito has the same, and the glue draws
// with a cut of it), so the grid breaks and overflows text exactly where the card's row
// heights expect and the canvas draws it. Italic has widths of its own.
#include <string>
#include <string_view>
#include <vector>

namespace stilaro::view {

// Advance width of one character in thousandths of the font size.
int advance_per_mille(char32_t c, bool bold, bool italic = false);

// Width in CSS pixels of UTF-8 text at a size in points.
double text_width_px(std::string_view utf8, double size_pt, bool bold, bool italic = false);

// The lines of a wrapping cell: paragraphs split at CR LF, CR or LF, words
// placed between single spaces, words wider than the cell broken by character.
std::vector<std::string> wrap_lines(std::string_view utf8, double size_pt, bool bold, double width_px,
                                    bool italic = false);
// How many lines wrap_lines makes, without making them.
std::size_t wrapped_line_count(std::string_view utf8, double size_pt, bool bold, double width_px,
                               bool italic = false);

// Height of one line of text in points for a font size in points.
double line_height_pt(double size_pt);

// Column width in characters (maximum digit width 7 px) to pixels and back.
double column_px(double width_chars);
double column_chars(double px);

inline double points_to_px(double pt) { return pt * 4.0 / 3.0; }

// Decodes one UTF-8 sequence at i, advancing i; invalid bytes decode as U+FFFD.
char32_t next_code_point(std::string_view s, std::size_t& i);

}  // namespace stilaro::view
