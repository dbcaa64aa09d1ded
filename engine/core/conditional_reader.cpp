// Reading a worksheet's conditional formats.
#include <algorithm>

#include "reader_parts.h"
#include "xml.h"

namespace stilaro::reader {

namespace {

ConditionalRule::Type rule_type(std::string_view t) {
  if (t == "cellIs") return ConditionalRule::Type::CellIs;
  if (t == "expression") return ConditionalRule::Type::Expression;
  if (t == "colorScale") return ConditionalRule::Type::ColorScale;
  if (t == "dataBar") return ConditionalRule::Type::DataBar;
  return ConditionalRule::Type::Other;
}

ScalePoint scale_point(const pugi::xml_node& cfvo) {
  ScalePoint p;
  auto t = xml::value(xml::attribute(cfvo, "type"));
  if (t == "max") p.kind = ScalePoint::Kind::Max;
  else if (t == "num") p.kind = ScalePoint::Kind::Number;
  else if (t == "percent") p.kind = ScalePoint::Kind::Percent;
  else if (t == "percentile") p.kind = ScalePoint::Kind::Percentile;
  else if (t == "formula") p.kind = ScalePoint::Kind::Formula;
  else p.kind = ScalePoint::Kind::Min;
  p.value = xml::value(xml::attribute(cfvo, "val"));
  return p;
}

void read_scale(const pugi::xml_node& node, const ThemeColors& theme, ConditionalRule& rule) {
  for (auto c : xml::children(node, "cfvo")) rule.points.push_back(scale_point(c));
  for (auto c : xml::children(node, "color")) rule.colors.push_back(read_color(c, theme));
}

std::vector<CellRange> ranges_of(std::string_view sqref) {
  std::vector<CellRange> out;
  while (!sqref.empty()) {
    auto space = sqref.find(' ');
    if (auto r = parse_range(sqref.substr(0, space))) out.push_back(*r);
    sqref = space == std::string_view::npos ? std::string_view() : sqref.substr(space + 1);
  }
  return out;
}

}  // namespace

void read_conditional_formats(const pugi::xml_node& worksheet, const ThemeColors& theme, Sheet& sheet) {
  for (auto cf : xml::children(worksheet, "conditionalFormatting")) {
    ConditionalFormat format;
    format.ranges = ranges_of(xml::value(xml::attribute(cf, "sqref")));
    for (auto r : xml::children(cf, "cfRule")) {
      ConditionalRule rule;
      rule.type = rule_type(xml::value(xml::attribute(r, "type")));
      rule.op = xml::value(xml::attribute(r, "operator"));
      if (auto d = xml::integer(xml::value(xml::attribute(r, "dxfId"))); d && *d >= 0)
        rule.dxf = static_cast<std::uint32_t>(*d);
      rule.priority = static_cast<std::int32_t>(xml::integer(xml::value(xml::attribute(r, "priority"))).value_or(0));
      rule.stop_if_true = xml::boolean(xml::attribute(r, "stopIfTrue"), false);
      for (auto f : xml::children(r, "formula")) rule.formulas.push_back(xml::text(f));
      if (auto s = xml::child(r, "colorScale")) read_scale(s, theme, rule);
      if (auto b = xml::child(r, "dataBar")) read_scale(b, theme, rule);
      if (rule.type != ConditionalRule::Type::Other) format.rules.push_back(std::move(rule));
    }
    if (!format.ranges.empty() && !format.rules.empty()) sheet.conditional_formats.push_back(std::move(format));
  }
}

}  // namespace stilaro::reader
