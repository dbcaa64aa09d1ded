#pragma once
// The drawing commands of one frame, in CSS pixels, as 32-bit words the glue
// replays on a canvas 2D context. Text is UTF-8 in a separate byte pool, always
// drawn in the glue's cell font (Calibri's metrics), the one the layout measures with.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stilaro::view {

enum class Op : std::uint32_t {
  rect = 1,           // x y w h colour
  line = 2,           // x1 y1 x2 y2 width colour style
  text = 3,           // x y colour flags size_px text(off len)
  clip = 4,           // x y w h: saves the state and clips
  unclip = 5,         // restores the state saved by the matching clip
  filter_button = 6,  // x y w h active
  frame = 7,          // x y w h width colour
  pattern = 8,        // x y w h hatch foreground background (a Hatch of core/styles.h)
  path = 9,           // count width colour filled, then count x y pairs
};

enum class LineStyle : std::uint32_t { solid = 0, dashed = 1, dotted = 2, double_ = 3 };

enum class Align : std::uint32_t { left = 0, centre = 1, right = 2 };

struct TextStyle {
  double size_px = 14.6667;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  std::uint32_t colour = 0xFF000000;  // ARGB
  Align align = Align::left;
};

// A plain label's style: one size, one colour, upright.
inline TextStyle plain_text(double size_px, std::uint32_t colour, Align align = Align::left, bool bold = false) {
  TextStyle s;
  s.size_px = size_px;
  s.colour = colour;
  s.align = align;
  s.bold = bold;
  return s;
}

class DisplayList {
 public:
  void clear();
  void rect(double x, double y, double w, double h, std::uint32_t argb);
  void line(double x1, double y1, double x2, double y2, double width, std::uint32_t argb,
            LineStyle style = LineStyle::solid);
  // x is the anchor for the alignment (left edge, centre or right edge); y the baseline.
  void text(double x, double y, std::string_view utf8, const TextStyle& style);
  void clip(double x, double y, double w, double h);
  void unclip();
  void filter_button(double x, double y, double w, double h, bool active);
  void frame(double x, double y, double w, double h, double width, std::uint32_t argb);
  // A patterned fill: background (when its alpha is not 0), then hatch lines or dots.
  void pattern(double x, double y, double w, double h, std::uint32_t hatch, std::uint32_t foreground,
               std::uint32_t background);
  // Points joined by lines of `width`, or, when filled, the closed shape they enclose.
  void path(const std::vector<double>& xy, double width, std::uint32_t argb, bool filled);

  const std::vector<std::uint32_t>& words() const { return words_; }
  const std::string& strings() const { return strings_; }

 private:
  void op(Op o) { words_.push_back(static_cast<std::uint32_t>(o)); }
  void num(double v);
  void str(std::string_view s);

  std::vector<std::uint32_t> words_;
  std::string strings_;
};

}  // namespace stilaro::view
