// Reading the styles part and the theme colours it refers to.
#include <algorithm>
#include <cmath>

#include "reader_parts.h"
#include "xml.h"

namespace stilaro::reader {

namespace {

// The legacy 64-colour palette of indexed colours.
constexpr std::array<std::uint32_t, 64> kIndexed = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// Office's default theme, for files without one.
constexpr ThemeColors kDefaultTheme = {0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31,
                                       0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};

std::uint32_t parse_hex(std::string_view s) {
  std::uint32_t v = 0;
  for (char c : s) {
    v <<= 4;
    if (c >= '0' && c <= '9') v |= c - '0';
    else if (c >= 'a' && c <= 'f') v |= c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v |= c - 'A' + 10;
  }
  return v;
}

// Lightens (tint > 0) or darkens (tint < 0) in HSL space, as spreadsheet programs do.
std::uint32_t apply_tint(std::uint32_t rgb, double tint) {
  if (tint == 0) return rgb;
  double r = ((rgb >> 16) & 255) / 255.0, g = ((rgb >> 8) & 255) / 255.0, b = (rgb & 255) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double h = 0, s = 0, l = (mx + mn) / 2;
  if (mx != mn) {
    double d = mx - mn;
    s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    if (mx == r) h = (g - b) / d + (g < b ? 6 : 0);
    else if (mx == g) h = (b - r) / d + 2;
    else h = (r - g) / d + 4;
    h /= 6;
  }
  l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
  auto hue = [](double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  if (s == 0) {
    r = g = b = l;
  } else {
    double q = l < 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
    r = hue(p, q, h + 1.0 / 3);
    g = hue(p, q, h);
    b = hue(p, q, h - 1.0 / 3);
  }
  auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

BorderSide::Style border_style(std::string_view s) {
  using S = BorderSide::Style;
  static constexpr std::pair<std::string_view, S> kStyles[] = {
      {"thin", S::Thin}, {"medium", S::Medium}, {"thick", S::Thick}, {"dashed", S::Dashed},
      {"dotted", S::Dotted}, {"double", S::Double}, {"hair", S::Hair},
      {"mediumDashed", S::MediumDashed}, {"dashDot", S::DashDot}, {"mediumDashDot", S::MediumDashDot},
      {"dashDotDot", S::DashDotDot}, {"mediumDashDotDot", S::MediumDashDotDot},
      {"slantDashDot", S::SlantDashDot}};
  for (const auto& [name, style] : kStyles)
    if (name == s) return style;
  return S::None;
}

Font read_font(const pugi::xml_node& f, const ThemeColors& theme) {
  Font font;
  font.bold = false;
  if (auto n = xml::child(f, "name")) font.name = xml::value(xml::attribute(n, "val"));
  if (auto sz = xml::child(f, "sz")) font.size = xml::number(xml::value(xml::attribute(sz, "val"))).value_or(11);
  auto flag = [&](std::string_view name) {
    auto n = xml::child(f, name);
    return n && xml::boolean(xml::attribute(n, "val"), true);
  };
  font.bold = flag("b");
  font.italic = flag("i");
  font.strike = flag("strike");
  if (auto u = xml::child(f, "u")) font.underline = xml::value(xml::attribute(u, "val")) != "none";
  font.color = read_color(xml::child(f, "color"), theme);
  return font;
}

Fill read_fill(const pugi::xml_node& f, const ThemeColors& theme) {
  Fill fill;
  auto p = xml::child(f, "patternFill");
  if (!p) {
    // A gradient shows as its first stop's colour.
    if (auto g = xml::child(f, "gradientFill")) {
      fill.pattern = Fill::Pattern::Solid;
      fill.foreground = read_color(xml::child(xml::child(g, "stop"), "color"), theme);
    }
    return fill;
  }
  auto type = xml::value(xml::attribute(p, "patternType"));
  if (type == "solid") fill.pattern = Fill::Pattern::Solid;
  else if (type == "gray125") fill.pattern = Fill::Pattern::Gray125;
  else if (type.empty() || type == "none") fill.pattern = Fill::Pattern::None;
  else fill.pattern = Fill::Pattern::Other;
  fill.hatch = hatch_named(type);
  fill.foreground = read_color(xml::child(p, "fgColor"), theme);
  fill.background = read_color(xml::child(p, "bgColor"), theme);
  return fill;
}

std::optional<bool> flag(const pugi::xml_node& font, std::string_view name) {
  auto n = xml::child(font, name);
  if (!n) return std::nullopt;
  auto v = xml::value(xml::attribute(n, "val"));
  if (name == "u") return v != "none";
  return xml::boolean(xml::attribute(n, "val"), true);
}

DifferentialFormat read_dxf(const pugi::xml_node& d, const ThemeColors& theme) {
  DifferentialFormat out;
  if (auto f = xml::child(d, "font")) {
    out.font_color = read_color(xml::child(f, "color"), theme);
    out.bold = flag(f, "b");
    out.italic = flag(f, "i");
    out.underline = flag(f, "u");
    out.strike = flag(f, "strike");
  }
  // A rule's solid fill keeps its colour in bgColor; some writers use fgColor.
  if (auto p = xml::child(xml::child(d, "fill"), "patternFill")) {
    if (xml::value(xml::attribute(p, "patternType")) != "none") {
      out.fill = read_color(xml::child(p, "bgColor"), theme);
      if (!out.fill.is_set()) out.fill = read_color(xml::child(p, "fgColor"), theme);
    }
  }
  return out;
}

Border read_border(const pugi::xml_node& b, const ThemeColors& theme) {
  Border border;
  auto side = [&](std::string_view name, std::string_view alt) {
    BorderSide s;
    auto n = xml::child(b, name);
    if (!n && !alt.empty()) n = xml::child(b, alt);
    if (!n) return s;
    s.style = border_style(xml::value(xml::attribute(n, "style")));
    s.color = read_color(xml::child(n, "color"), theme);
    return s;
  };
  border.left = side("left", "start");
  border.right = side("right", "end");
  border.top = side("top", "");
  border.bottom = side("bottom", "");
  return border;
}

Alignment read_alignment(const pugi::xml_node& a) {
  Alignment al;
  if (!a) return al;
  static constexpr std::pair<std::string_view, HorizontalAlign> kH[] = {
      {"left", HorizontalAlign::Left}, {"center", HorizontalAlign::Center},
      {"right", HorizontalAlign::Right}, {"fill", HorizontalAlign::Fill},
      {"justify", HorizontalAlign::Justify}, {"centerContinuous", HorizontalAlign::CenterContinuous},
      {"distributed", HorizontalAlign::Distributed}};
  static constexpr std::pair<std::string_view, VerticalAlign> kV[] = {
      {"center", VerticalAlign::Center}, {"top", VerticalAlign::Top},
      {"justify", VerticalAlign::Justify}, {"distributed", VerticalAlign::Distributed}};
  auto h = xml::value(xml::attribute(a, "horizontal"));
  for (const auto& [n, v] : kH)
    if (n == h) al.horizontal = v;
  auto v = xml::value(xml::attribute(a, "vertical"));
  for (const auto& [n, val] : kV)
    if (n == v) al.vertical = val;
  al.wrap = xml::boolean(xml::attribute(a, "wrapText"), false);
  al.shrink_to_fit = xml::boolean(xml::attribute(a, "shrinkToFit"), false);
  al.indent = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      xml::integer(xml::value(xml::attribute(a, "indent"))).value_or(0), 0, 250));
  al.rotation = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      xml::integer(xml::value(xml::attribute(a, "textRotation"))).value_or(0), 0, 255));
  return al;
}

std::uint32_t index_attr(const pugi::xml_node& n, std::string_view name) {
  auto v = xml::integer(xml::value(xml::attribute(n, name))).value_or(0);
  return v < 0 || v > 0xFFFFFF ? 0 : static_cast<std::uint32_t>(v);
}

}  // namespace

ThemeColors read_theme(const pugi::xml_document* theme) {
  ThemeColors out = kDefaultTheme;
  if (!theme) return out;
  auto scheme = xml::child(xml::child(theme->document_element(), "themeElements"), "clrScheme");
  // The scheme lists dk1, lt1, dk2, lt2, ...; styles number them lt1, dk1, lt2, dk2, ...
  static constexpr std::array<std::string_view, 12> kNames = {
      "lt1", "dk1", "lt2", "dk2", "accent1", "accent2", "accent3", "accent4", "accent5", "accent6",
      "hlink", "folHlink"};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    auto slot = xml::child(scheme, kNames[i]);
    if (auto srgb = xml::child(slot, "srgbClr")) {
      out[i] = parse_hex(xml::value(xml::attribute(srgb, "val")));
    } else if (auto sys = xml::child(slot, "sysClr")) {
      if (auto last = xml::attribute(sys, "lastClr")) out[i] = parse_hex(last.value());
    }
  }
  return out;
}

Color read_color(const pugi::xml_node& node, const ThemeColors& theme) {
  Color c;
  if (!node) return c;
  c.tint = xml::number(xml::value(xml::attribute(node, "tint"))).value_or(0);
  std::uint32_t rgb = 0;
  if (auto a = xml::attribute(node, "rgb")) {
    c.kind = Color::Kind::Rgb;
    std::string_view v = a.value();
    std::uint32_t argb = parse_hex(v);
    // Six digits mean opaque; a zero alpha in eight digits is usually meant opaque too.
    c.argb = (v.size() <= 6 || (argb >> 24) == 0) ? (0xFF000000 | (argb & 0xFFFFFF)) : argb;
    rgb = c.argb & 0xFFFFFF;
  } else if (auto t = xml::attribute(node, "theme")) {
    c.kind = Color::Kind::Theme;
    c.theme = static_cast<std::int32_t>(xml::integer(t.value()).value_or(1));
    rgb = c.theme >= 0 && c.theme < 12 ? theme[static_cast<std::size_t>(c.theme)] : 0;
  } else if (auto ix = xml::attribute(node, "indexed")) {
    c.kind = Color::Kind::Indexed;
    c.indexed = static_cast<std::int32_t>(xml::integer(ix.value()).value_or(64));
    if (c.indexed >= 0 && c.indexed < 64) rgb = kIndexed[static_cast<std::size_t>(c.indexed)];
    else if (c.indexed == 65) rgb = 0xFFFFFF;  // system background
    else rgb = 0x000000;                       // system foreground
  } else if (xml::boolean(xml::attribute(node, "auto"), false)) {
    c.kind = Color::Kind::Auto;
  } else {
    return c;
  }
  c.argb = 0xFF000000 | apply_tint(rgb, c.tint);
  return c;
}

Styles read_styles(const pugi::xml_node& root, const ThemeColors& theme) {
  Styles st;
  st.fonts.clear();
  st.fills.clear();
  st.borders.clear();
  st.cell_formats.clear();
  for (auto n : xml::children(xml::child(root, "numFmts"), "numFmt")) {
    auto id = xml::integer(xml::value(xml::attribute(n, "numFmtId")));
    if (id && *id >= 0) st.custom_number_formats[static_cast<std::uint32_t>(*id)] = xml::value(xml::attribute(n, "formatCode"));
  }
  for (auto f : xml::children(xml::child(root, "fonts"), "font")) st.fonts.push_back(read_font(f, theme));
  for (auto f : xml::children(xml::child(root, "fills"), "fill")) st.fills.push_back(read_fill(f, theme));
  for (auto b : xml::children(xml::child(root, "borders"), "border")) st.borders.push_back(read_border(b, theme));
  for (auto x : xml::children(xml::child(root, "cellXfs"), "xf")) {
    CellFormat cf;
    cf.font = index_attr(x, "fontId");
    cf.fill = index_attr(x, "fillId");
    cf.border = index_attr(x, "borderId");
    cf.number_format = index_attr(x, "numFmtId");
    cf.alignment = read_alignment(xml::child(x, "alignment"));
    st.cell_formats.push_back(cf);
  }
  for (auto d : xml::children(xml::child(root, "dxfs"), "dxf")) st.differential_formats.push_back(read_dxf(d, theme));
  if (st.fonts.empty()) st.fonts.emplace_back();
  if (st.cell_formats.empty()) st.cell_formats.emplace_back();
  st.file_cell_format_count = st.cell_formats.size();
  st.file_number_format_count = st.custom_number_formats.size();
  return st;
}

}  // namespace stilaro::reader
