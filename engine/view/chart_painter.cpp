#include "view/chart_painter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/number_format.h"
#include "view/text_metrics.h"

namespace stilaro::view {
namespace {

constexpr double kEmuPerPx = 9525;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kChartBorder = 0xFFD9D9D9;
constexpr std::uint32_t kGridLine = 0xFFD9D9D9;
constexpr std::uint32_t kAxisLine = 0xFFBFBFBF;
constexpr std::uint32_t kLabel = 0xFF595959;

struct Ref {
  std::int32_t sheet = 0;
  CellRange range;
};

// "'Scheda'!$B$2:$G$2", "Scheda!A1" or "A1:B2" (the chart's own sheet).
std::optional<Ref> parse_ref(const Workbook& wb, std::string_view text, std::int32_t own) {
  Ref ref{own, {}};
  if (auto bang = text.rfind('!'); bang != std::string_view::npos) {
    std::string name(text.substr(0, bang));
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') {
      name = name.substr(1, name.size() - 2);
      for (std::size_t i = name.find("''"); i != std::string::npos; i = name.find("''", i + 1)) name.erase(i, 1);
    }
    auto index = wb.sheet_index(name);
    if (!index) return std::nullopt;
    ref.sheet = *index;
    text = text.substr(bang + 1);
  }
  auto range = parse_range(text);
  if (!range) return std::nullopt;
  ref.range = *range;
  return ref;
}

// The cells of a one-row or one-column reference, in order (at most a few thousand).
std::vector<Value> cells_of(const Workbook& wb, std::string_view text, std::int32_t own) {
  std::vector<Value> out;
  auto ref = parse_ref(wb, text, own);
  if (!ref) return out;
  const Sheet& s = wb.sheets[ref->sheet];
  const CellRange& r = ref->range;
  const bool by_row = r.rows() == 1;
  const std::int32_t count = std::min(by_row ? r.cols() : r.rows(), 4096);
  for (std::int32_t i = 0; i < count; ++i)
    out.push_back(s.value(by_row ? CellAddress{r.first.row, r.first.col + i} : CellAddress{r.first.row + i, r.first.col}));
  return out;
}

std::string shown(const Workbook& wb, std::string_view text, std::int32_t own, std::size_t index) {
  auto ref = parse_ref(wb, text, own);
  if (!ref) return {};
  const CellRange& r = ref->range;
  const auto i = static_cast<std::int32_t>(index);
  const CellAddress a = r.rows() == 1 ? CellAddress{r.first.row, r.first.col + i} : CellAddress{r.first.row + i, r.first.col};
  const Sheet& s = wb.sheets[ref->sheet];
  const Cell* cell = s.cell(a);
  if (!cell) return {};
  return format_value(cell->value, wb.styles.number_format_of(cell->style), wb.date1904).text;
}

std::optional<double> number(const Value& v) {
  if (v.is_number()) return v.number;
  return std::nullopt;
}

std::string tick_text(double v, double step) {
  // As many decimals as the step needs, no more.
  const int decimals = step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  const double scale = std::pow(10.0, decimals);
  return format_general(std::round(v * scale) / scale);
}

class ChartPainter {
 public:
  ChartPainter(const Chart& chart, std::vector<SeriesData> data, Rect box, double zoom, DisplayList& out)
      : chart_(chart), data_(std::move(data)), box_(box), z_(zoom), out_(out) {}

  void run() {
    out_.rect(box_.x, box_.y, box_.w, box_.h, kWhite);
    out_.frame(box_.x, box_.y, box_.w, box_.h, 1, kChartBorder);
    Rect plot{box_.x + 10 * z_, box_.y + 10 * z_, box_.w - 20 * z_, box_.h - 20 * z_};
    if (!chart_.title.empty()) {
      const double size = 14 * 4 / 3.0 * z_;
      out_.text(box_.x + box_.w / 2, box_.y + 8 * z_ + size, chart_.title, plain_text(size, kLabel, Align::centre, true));
      plot.y += size + 8 * z_;
      plot.h -= size + 8 * z_;
    }
    if (chart_.legend || chart_.kind == Chart::Kind::Pie) legend(plot);
    if (plot.w < 20 || plot.h < 20) return;
    if (chart_.kind == Chart::Kind::Pie) pie(plot);
    else axes_and_series(plot);
  }

 private:
  double small() const { return 9 * 4 / 3.0 * z_; }

  std::vector<std::string> legend_names() const {
    std::vector<std::string> names;
    if (chart_.kind == Chart::Kind::Pie) {
      if (!data_.empty()) names = data_.front().categories;
    } else {
      for (const SeriesData& s : data_) names.push_back(s.name);
    }
    return names;
  }

  std::uint32_t slice_colour(std::size_t i) const {
    const ChartSeries* own = chart_.series.empty() ? nullptr : &chart_.series.front();
    if (i == 0 && own && own->color.is_set()) return own->color.argb;
    return chart_.palette.empty() ? 0xFF4472C4 : chart_.palette[i % chart_.palette.size()];
  }

  // The legend at the right, entries stacked around the middle.
  void legend(Rect& plot) {
    const auto names = legend_names();
    if (names.empty()) return;
    double widest = 0;
    for (const auto& n : names) widest = std::max(widest, text_width_px(n, 9, false) * z_);
    const double w = widest + 22 * z_, line = small() * 1.4;
    const double x = box_.right() - w - 6 * z_;
    double y = plot.y + plot.h / 2 - line * static_cast<double>(names.size()) / 2;
    for (std::size_t i = 0; i < names.size(); ++i, y += line) {
      const std::uint32_t colour = chart_.kind == Chart::Kind::Pie ? slice_colour(i) : data_[i].colour;
      out_.rect(x, y + line / 2 - 3.5 * z_, 7 * z_, 7 * z_, colour);
      out_.text(x + 12 * z_, y + line / 2 + small() * 0.35, names[i], plain_text(small(), kLabel, Align::left));
    }
    plot.w = x - 8 * z_ - plot.x;
  }

  void pie(const Rect& plot) {
    if (data_.empty()) return;
    const auto& values = data_.front().values;
    double total = 0;
    for (const auto& v : values) total += v && *v > 0 ? *v : 0;
    if (total <= 0) return;
    const double r = std::min(plot.w, plot.h) / 2 - 4 * z_;
    const double cx = plot.x + plot.w / 2, cy = plot.y + plot.h / 2;
    double angle = -std::numbers::pi / 2;  // from twelve o'clock, clockwise
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (!values[i] || *values[i] <= 0) continue;
      const double sweep = *values[i] / total * 2 * std::numbers::pi;
      std::vector<double> xy{cx, cy};
      const int steps = std::max(2, static_cast<int>(sweep / (2 * std::numbers::pi) * 96));
      for (int k = 0; k <= steps; ++k) {
        const double a = angle + sweep * k / steps;
        xy.push_back(cx + r * std::cos(a));
        xy.push_back(cy + r * std::sin(a));
      }
      out_.path(xy, 0, slice_colour(i), true);
      xy.push_back(cx);
      xy.push_back(cy);
      out_.path(xy, 1, kWhite, false);
      angle += sweep;
    }
  }

  void value_range(const std::vector<std::optional<double>>& v, double& lo, double& hi) const {
    for (const auto& x : v)
      if (x) lo = std::min(lo, *x), hi = std::max(hi, *x);
  }

  void axes_and_series(Rect plot) {
    const bool scatter = chart_.kind == Chart::Kind::Scatter;
    const bool bars = chart_.kind == Chart::Kind::Bar;  // categories up the side
    double lo = INFINITY, hi = -INFINITY, xlo = INFINITY, xhi = -INFINITY;
    std::size_t categories = 0;
    for (const SeriesData& s : data_) {
      value_range(s.values, lo, hi);
      value_range(s.xs, xlo, xhi);
      categories = std::max({categories, s.values.size(), s.categories.size()});
    }
    if (!(lo <= hi) || categories == 0) return;
    const AxisScale ys = axis_scale(lo, hi);
    AxisScale xs;
    if (scatter) xs = xlo <= xhi ? axis_scale(xlo, xhi) : axis_scale(1, static_cast<double>(categories));
    const std::vector<std::string> cats = data_.empty() ? std::vector<std::string>() : data_.front().categories;
    auto category = [&](std::size_t i) { return i < cats.size() && !cats[i].empty() ? cats[i] : std::to_string(i + 1); };

    // Room for the labels and the axis titles.
    double value_labels = 0;
    for (double v = ys.min; v <= ys.max + ys.step / 2; v += ys.step)
      value_labels = std::max(value_labels, text_width_px(tick_text(v, ys.step), 9, false) * z_);
    double category_labels = 0;
    if (bars)
      for (std::size_t i = 0; i < categories; ++i) category_labels = std::max(category_labels, text_width_px(category(i), 9, false) * z_);
    const std::string& side_title = chart_.y_title;
    const std::string& foot_title = chart_.x_title;
    const double line = small() * 1.3;
    double left = (bars ? category_labels : value_labels) + 6 * z_;
    if (!side_title.empty()) {
      out_.text(plot.x, plot.y + small(), side_title, plain_text(small(), kLabel, Align::left, true));
      plot.y += line;
      plot.h -= line;
    }
    double bottom = line + 4 * z_;
    if (!foot_title.empty()) {
      out_.text(plot.x + left + (plot.w - left) / 2, plot.bottom() - 2 * z_, foot_title, plain_text(small(), kLabel, Align::centre, true));
      bottom += line;
    }
    const Rect area{plot.x + left, plot.y + small() / 2, plot.w - left - 4 * z_, plot.h - bottom - small() / 2};
    if (area.w < 10 || area.h < 10) return;

    // Value gridlines and labels: horizontal, or vertical for bars.
    auto value_pos = [&](double v) {
      const double t = (v - ys.min) / (ys.max - ys.min);
      return bars ? area.x + t * area.w : area.bottom() - t * area.h;
    };
    for (double v = ys.min; v <= ys.max + ys.step / 2; v += ys.step) {
      const double p = value_pos(v);
      if (bars) {
        out_.line(p, area.y, p, area.bottom(), 1, kGridLine);
        out_.text(p, area.bottom() + small() + 3 * z_, tick_text(v, ys.step), plain_text(small(), kLabel, Align::centre));
      } else {
        out_.line(area.x, p, area.right(), p, 1, kGridLine);
        out_.text(area.x - 4 * z_, p + small() * 0.35, tick_text(v, ys.step), plain_text(small(), kLabel, Align::right));
      }
    }
    const double n = static_cast<double>(categories);
    auto slot = [&](std::size_t i) {  // middle of a category's slot
      return bars ? area.bottom() - (static_cast<double>(i) + 0.5) * area.h / n : area.x + (static_cast<double>(i) + 0.5) * area.w / n;
    };
    auto x_pos = [&](double v) { return area.x + (v - xs.min) / (xs.max - xs.min) * area.w; };
    if (scatter) {
      for (double v = xs.min; v <= xs.max + xs.step / 2; v += xs.step) {
        const double p = x_pos(v);
        out_.line(p, area.bottom(), p, area.bottom() + 4 * z_, 1, kAxisLine);
        out_.text(p, area.bottom() + small() + 3 * z_, tick_text(v, xs.step), plain_text(small(), kLabel, Align::centre));
      }
    } else {
      // Category labels, thinned out when they would overlap.
      double widest = 0;
      for (std::size_t i = 0; i < categories; ++i) widest = std::max(widest, text_width_px(category(i), 9, false) * z_);
      const double room = (bars ? area.h : area.w) / n;
      const std::size_t every = bars ? 1 : std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil((widest + 4 * z_) / room)));
      for (std::size_t i = 0; i < categories; i += every) {
        if (bars) out_.text(area.x - 4 * z_, slot(i) + small() * 0.35, category(i), plain_text(small(), kLabel, Align::right));
        else out_.text(slot(i), area.bottom() + small() + 3 * z_, category(i), plain_text(small(), kLabel, Align::centre));
      }
    }
    // The axis the values stand on.
    const double zero = value_pos(std::clamp(0.0, ys.min, ys.max));
    if (bars) out_.line(zero, area.y, zero, area.bottom(), 1, kAxisLine);
    else out_.line(area.x, zero, area.right(), zero, 1, kAxisLine);

    out_.clip(area.x - 4 * z_, area.y - 4 * z_, area.w + 8 * z_, area.h + 8 * z_);
    const std::size_t count = data_.size();
    for (std::size_t k = 0; k < count; ++k) {
      const SeriesData& s = data_[k];
      if (chart_.kind == Chart::Kind::Column || bars) {
        // Bars of a category side by side, with a gap of one and a half bars between groups.
        const double group = (bars ? area.h : area.w) / n;
        const double bar = group / (static_cast<double>(count) + 1.5);
        for (std::size_t i = 0; i < s.values.size(); ++i) {
          if (!s.values[i]) continue;
          const double start = slot(i) + (bars ? 1 : -1) * (group / 2 - bar * 0.75) + (bars ? -1 : 1) * bar * static_cast<double>(k);
          const double p = value_pos(*s.values[i]);
          if (bars) out_.rect(std::min(zero, p), start - bar, std::abs(p - zero), bar, s.colour);
          else out_.rect(start, std::min(zero, p), bar, std::abs(p - zero), s.colour);
        }
        continue;
      }
      std::vector<double> run;
      auto flush = [&] {
        if (run.size() >= 4 && s.line) out_.path(run, 2.25 * z_, s.colour, false);
        run.clear();
      };
      for (std::size_t i = 0; i < s.values.size(); ++i) {
        if (!s.values[i] || (scatter && (i >= s.xs.size() || !s.xs[i]))) {
          flush();  // an empty cell breaks the line
          continue;
        }
        const double x = scatter ? x_pos(*s.xs[i]) : slot(i), y = value_pos(*s.values[i]);
        run.push_back(x);
        run.push_back(y);
        if (scatter) marker(x, y, s.colour);
      }
      if (chart_.kind == Chart::Kind::Area && run.size() >= 4) {
        std::vector<double> shape = run;
        shape.insert(shape.end(), {run[run.size() - 2], zero, run[0], zero});
        out_.path(shape, 0, s.colour, true);
      }
      flush();
    }
    out_.unclip();
  }

  void marker(double x, double y, std::uint32_t colour) {
    const double r = 3.5 * z_;
    out_.path({x - r, y, x, y - r, x + r, y, x, y + r}, 0, colour, true);
  }

  const Chart& chart_;
  std::vector<SeriesData> data_;
  Rect box_;
  double z_;
  DisplayList& out_;
};

}  // namespace

std::vector<SeriesData> chart_data(const Workbook& wb, std::int32_t sheet, const Chart& chart) {
  std::vector<SeriesData> out;
  for (std::size_t k = 0; k < chart.series.size(); ++k) {
    const ChartSeries& cs = chart.series[k];
    SeriesData s;
    s.name = cs.name;
    if (!cs.name_ref.empty()) {
      auto v = cells_of(wb, cs.name_ref, sheet);
      if (!v.empty()) s.name = v.front().is_number() ? format_general(v.front().number) : v.front().text;
    }
    if (s.name.empty()) s.name = "Serie " + std::to_string(k + 1);
    for (const Value& v : cells_of(wb, cs.values, sheet)) s.values.push_back(number(v));
    if (chart.kind == Chart::Kind::Scatter) {
      for (const Value& v : cells_of(wb, cs.categories, sheet)) s.xs.push_back(number(v));
    } else {
      const std::size_t count = cells_of(wb, cs.categories, sheet).size();
      for (std::size_t i = 0; i < count; ++i) s.categories.push_back(shown(wb, cs.categories, sheet, i));
    }
    s.line = cs.line;
    s.colour = cs.color.is_set() ? cs.color.argb
                                 : chart.palette.empty() ? 0xFF4472C4 : chart.palette[k % chart.palette.size()];
    out.push_back(std::move(s));
  }
  return out;
}

AxisScale axis_scale(double lo, double hi) {
  if (lo > 0) lo = 0;
  if (hi < 0) hi = 0;
  if (hi - lo < 1e-12) hi = lo + 1;
  // A little room past the outermost number, so the top point never sits on the frame.
  const double room = (hi - lo) * 0.05;
  if (hi > 0) hi += room;
  if (lo < 0) lo -= room;
  // At most seven steps of 1, 2 or 5 times a power of ten.
  const double power = std::pow(10.0, std::floor(std::log10((hi - lo) / 7)));
  double step = power * 10;
  for (double m : {1.0, 2.0, 5.0})
    if ((hi - lo) / (m * power) <= 7 + 1e-9) {
      step = m * power;
      break;
    }
  return {std::floor(lo / step + 1e-9) * step, std::ceil(hi / step - 1e-9) * step, step};
}

Rect chart_box(const Chart& chart, const Layout& l, double zoom) {
  const ChartAnchor& a = chart.anchor;
  const double x = l.col_x(a.from.col) + a.from_dx / kEmuPerPx * zoom;
  const double y = l.row_y(a.from.row) + a.from_dy / kEmuPerPx * zoom;
  if (a.has_to) {
    const double right = l.col_x(a.to.col) + a.to_dx / kEmuPerPx * zoom;
    const double bottom = l.row_y(a.to.row) + a.to_dy / kEmuPerPx * zoom;
    return {x, y, std::max(0.0, right - x), std::max(0.0, bottom - y)};
  }
  return {x, y, a.width / kEmuPerPx * zoom, a.height / kEmuPerPx * zoom};
}

void paint_charts(const Workbook& wb, std::int32_t sheet, const Layout& l, double zoom, DisplayList& out) {
  const Sheet& s = wb.sheets[sheet];
  if (s.charts.empty()) return;
  // Charts scroll with the cells: drawn over the scrolling pane, under the frozen parts.
  const Rect g = l.grid();
  const Rect pane{g.x + l.frozen_width(), g.y + l.frozen_height(), g.w - l.frozen_width(), g.h - l.frozen_height()};
  out.clip(pane.x, pane.y, pane.w, pane.h);
  for (const Chart& chart : s.charts) {
    const Rect box = chart_box(chart, l, zoom);
    if (box.right() < pane.x || box.x > pane.right() || box.bottom() < pane.y || box.y > pane.bottom()) continue;
    if (box.w < 8 || box.h < 8) continue;
    ChartPainter(chart, chart_data(wb, sheet, chart), box, zoom, out).run();
  }
  out.unclip();
}

}  // namespace stilaro::view
