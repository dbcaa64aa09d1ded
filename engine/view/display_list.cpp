#include "display_list.h"

#include <cstring>

namespace stilaro::view {

void DisplayList::clear() {
  words_.clear();
  strings_.clear();
}

void DisplayList::num(double v) {
  const float f = static_cast<float>(v);
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  words_.push_back(bits);
}

void DisplayList::str(std::string_view s) {
  words_.push_back(static_cast<std::uint32_t>(strings_.size()));
  words_.push_back(static_cast<std::uint32_t>(s.size()));
  strings_.append(s);
}

void DisplayList::rect(double x, double y, double w, double h, std::uint32_t argb) {
  op(Op::rect);
  num(x), num(y), num(w), num(h);
  words_.push_back(argb);
}

void DisplayList::line(double x1, double y1, double x2, double y2, double width, std::uint32_t argb,
                       LineStyle style) {
  op(Op::line);
  num(x1), num(y1), num(x2), num(y2), num(width);
  words_.push_back(argb);
  words_.push_back(static_cast<std::uint32_t>(style));
}

void DisplayList::text(double x, double y, std::string_view utf8, const TextStyle& s) {
  op(Op::text);
  num(x), num(y);
  words_.push_back(s.colour);
  words_.push_back(static_cast<std::uint32_t>(s.align) | (s.bold ? 4u : 0u) | (s.italic ? 8u : 0u) |
                   (s.underline ? 16u : 0u) | (s.strike ? 32u : 0u));
  num(s.size_px);
  str(utf8);
}

void DisplayList::clip(double x, double y, double w, double h) {
  op(Op::clip);
  num(x), num(y), num(w), num(h);
}

void DisplayList::unclip() { op(Op::unclip); }

void DisplayList::filter_button(double x, double y, double w, double h, bool active) {
  op(Op::filter_button);
  num(x), num(y), num(w), num(h);
  words_.push_back(active ? 1 : 0);
}

void DisplayList::frame(double x, double y, double w, double h, double width, std::uint32_t argb) {
  op(Op::frame);
  num(x), num(y), num(w), num(h), num(width);
  words_.push_back(argb);
}

void DisplayList::pattern(double x, double y, double w, double h, std::uint32_t hatch, std::uint32_t foreground,
                          std::uint32_t background) {
  op(Op::pattern);
  num(x), num(y), num(w), num(h);
  words_.push_back(hatch);
  words_.push_back(foreground);
  words_.push_back(background);
}

void DisplayList::path(const std::vector<double>& xy, double width, std::uint32_t argb, bool filled) {
  if (xy.size() < 4) return;
  op(Op::path);
  words_.push_back(static_cast<std::uint32_t>(xy.size() / 2));
  num(width);
  words_.push_back(argb);
  words_.push_back(filled ? 1 : 0);
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) num(xy[i]), num(xy[i + 1]);
}

}  // namespace stilaro::view
