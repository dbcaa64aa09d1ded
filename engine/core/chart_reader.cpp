// Reading the charts a worksheet's drawing part places on it.
#include <algorithm>
#include <charconv>

#include "reader_parts.h"
#include "xml.h"

namespace stilaro::reader {

namespace {

constexpr double kEmuPerPoint = 12700;

std::string relationship_target(const PartLoader& load, std::string_view part, std::string_view id,
                                std::string_view type_suffix) {
  pugi::xml_document rels;
  if (!load(rels_path(part), rels)) return {};
  for (auto r : xml::children(rels.document_element(), "Relationship")) {
    auto type = xml::value(xml::attribute(r, "Type"));
    const bool typed = type.size() >= type_suffix.size() && type.substr(type.size() - type_suffix.size()) == type_suffix;
    if ((id.empty() || xml::value(xml::attribute(r, "Id")) == id) && typed &&
        xml::value(xml::attribute(r, "TargetMode")) != "External")
      return resolve_target(part, xml::value(xml::attribute(r, "Target")));
  }
  return {};
}

// The r:id attribute, whatever prefix the file gave its namespace.
std::string_view relationship_id(const pugi::xml_node& n) {
  for (auto a = n.first_attribute(); a; a = a.next_attribute())
    if (xml::local_name(a) == "id") return a.value();
  return {};
}

// Every <a:t> below a node, joined: titles and rich text.
std::string all_text(const pugi::xml_node& n) {
  std::string out;
  for (auto c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (xml::local_name(c) == "t") out += xml::text(c);
    else out += all_text(c);
  }
  return out;
}

std::string title_of(const pugi::xml_node& holder) {
  auto title = xml::child(holder, "title");
  if (!title) return {};
  auto tx = xml::child(title, "tx");
  if (auto ref = xml::child(xml::child(tx, "strRef"), "f")) return xml::text(ref);
  return all_text(tx);
}

std::string reference(const pugi::xml_node& data) {
  for (auto kind : {"numRef", "strRef", "multiLvlStrRef"})
    if (auto f = xml::child(xml::child(data, kind), "f")) return xml::text(f);
  return {};
}

// A series' own colour: the fill of its bars or slices, else its line.
Color series_color(const pugi::xml_node& sp_pr, const ThemeColors& theme) {
  for (auto holder : {sp_pr, xml::child(sp_pr, "ln")}) {
    auto fill = xml::child(holder, "solidFill");
    if (auto rgb = xml::child(fill, "srgbClr")) {
      Color c;
      c.kind = Color::Kind::Rgb;
      auto hex = xml::value(xml::attribute(rgb, "val"));
      std::uint32_t v = 0;
      std::from_chars(hex.data(), hex.data() + std::min<std::size_t>(hex.size(), 6), v, 16);
      c.argb = 0xFF000000 | v;
      return c;
    }
    if (auto scheme = xml::child(fill, "schemeClr")) {
      auto name = xml::value(xml::attribute(scheme, "val"));
      if (name.size() == 7 && name.substr(0, 6) == "accent" && name[6] >= '1' && name[6] <= '6') {
        Color c;
        c.kind = Color::Kind::Theme;
        c.theme = 4 + (name[6] - '1');
        c.argb = 0xFF000000 | theme[static_cast<std::size_t>(c.theme)];
        return c;
      }
    }
  }
  return {};
}

bool read_chart(const pugi::xml_node& space, const ThemeColors& theme, Chart& chart) {
  auto c = xml::child(space, "chart");
  auto plot = xml::child(c, "plotArea");
  pugi::xml_node group;
  for (auto n = plot.first_child(); n && !group; n = n.next_sibling()) {
    auto name = xml::local_name(n);
    if (name == "lineChart" || name == "line3DChart") chart.kind = Chart::Kind::Line;
    else if (name == "barChart" || name == "bar3DChart")
      chart.kind = xml::value(xml::attribute(xml::child(n, "barDir"), "val")) == "bar" ? Chart::Kind::Bar : Chart::Kind::Column;
    else if (name == "pieChart" || name == "pie3DChart" || name == "doughnutChart") chart.kind = Chart::Kind::Pie;
    else if (name == "scatterChart") chart.kind = Chart::Kind::Scatter;
    else if (name == "areaChart") chart.kind = Chart::Kind::Area;
    else continue;
    group = n;
  }
  if (!group) return false;
  chart.title = title_of(c);
  for (auto ax = plot.first_child(); ax; ax = ax.next_sibling()) {
    auto name = xml::local_name(ax);
    auto pos = xml::value(xml::attribute(xml::child(ax, "axPos"), "val"));
    if (name != "catAx" && name != "valAx" && name != "dateAx") continue;
    // The horizontal axis stands at the bottom (or top); the other is the value axis.
    const bool horizontal = pos == "b" || pos == "t" ? true : pos == "l" || pos == "r" ? false : name != "valAx";
    const bool category_like = name != "valAx" || (chart.kind == Chart::Kind::Scatter && horizontal);
    std::string& slot = chart.kind == Chart::Kind::Bar ? (category_like ? chart.y_title : chart.x_title)
                                                       : (category_like ? chart.x_title : chart.y_title);
    if (slot.empty()) slot = title_of(ax);
  }
  chart.legend = static_cast<bool>(xml::child(c, "legend"));
  for (auto s : xml::children(group, "ser")) {
    ChartSeries series;
    auto tx = xml::child(s, "tx");
    series.name_ref = reference(tx);
    series.name = xml::child(tx, "v") ? xml::text(xml::child(tx, "v")) : all_text(tx);
    if (!series.name_ref.empty()) series.name = all_text(xml::child(xml::child(tx, "strRef"), "strCache"));
    series.categories = reference(xml::child(s, chart.kind == Chart::Kind::Scatter ? "xVal" : "cat"));
    series.values = reference(xml::child(s, chart.kind == Chart::Kind::Scatter ? "yVal" : "val"));
    series.color = series_color(xml::child(s, "spPr"), theme);
    series.line = !xml::child(xml::child(xml::child(s, "spPr"), "ln"), "noFill");
    chart.series.push_back(std::move(series));
  }
  for (std::size_t i = 4; i < 10; ++i) chart.palette.push_back(0xFF000000 | theme[i]);
  return true;
}

CellAddress marker(const pugi::xml_node& n, double& dx, double& dy) {
  auto number = [&](std::string_view name) { return xml::integer(xml::text(xml::child(n, name))).value_or(0); };
  dx = static_cast<double>(number("colOff"));
  dy = static_cast<double>(number("rowOff"));
  return {static_cast<std::int32_t>(std::clamp<std::int64_t>(number("row"), 0, kMaxRows - 1)),
          static_cast<std::int32_t>(std::clamp<std::int64_t>(number("col"), 0, kMaxColumns - 1))};
}

}  // namespace

void read_charts(const PartLoader& load, std::string_view sheet_part, const ThemeColors& theme, Sheet& sheet) {
  const std::string drawing_part = relationship_target(load, sheet_part, "", "/drawing");
  pugi::xml_document drawing;
  if (drawing_part.empty() || !load(drawing_part, drawing)) return;
  for (auto anchor = drawing.document_element().first_child(); anchor; anchor = anchor.next_sibling()) {
    auto kind = xml::local_name(anchor);
    if (kind != "twoCellAnchor" && kind != "oneCellAnchor" && kind != "absoluteAnchor") continue;
    auto frame = xml::child(anchor, "graphicFrame");
    auto ref = xml::child(xml::child(xml::child(frame, "graphic"), "graphicData"), "chart");
    if (!ref) continue;
    const std::string chart_part = relationship_target(load, drawing_part, relationship_id(ref), "/chart");
    pugi::xml_document doc;
    if (chart_part.empty() || !load(chart_part, doc)) continue;
    Chart chart;
    if (!read_chart(doc.document_element(), theme, chart)) continue;
    ChartAnchor& a = chart.anchor;
    if (kind == "absoluteAnchor") {
      auto pos = xml::child(anchor, "pos");
      a.from_dx = static_cast<double>(xml::integer(xml::value(xml::attribute(pos, "x"))).value_or(0));
      a.from_dy = static_cast<double>(xml::integer(xml::value(xml::attribute(pos, "y"))).value_or(0));
    } else {
      a.from = marker(xml::child(anchor, "from"), a.from_dx, a.from_dy);
    }
    if (kind == "twoCellAnchor") {
      a.has_to = true;
      a.to = marker(xml::child(anchor, "to"), a.to_dx, a.to_dy);
    } else {
      auto ext = xml::child(anchor, "ext");
      a.width = static_cast<double>(xml::integer(xml::value(xml::attribute(ext, "cx"))).value_or(0));
      a.height = static_cast<double>(xml::integer(xml::value(xml::attribute(ext, "cy"))).value_or(0));
      if (a.width <= 0 || a.height <= 0) a.width = 480 * kEmuPerPoint, a.height = 288 * kEmuPerPoint;
    }
    sheet.charts.push_back(std::move(chart));
  }
}

}  // namespace stilaro::reader
