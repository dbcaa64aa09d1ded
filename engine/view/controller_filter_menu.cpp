// The auto-filter menu under a column's button: opening it, choosing in it, scrolling it.
#include "controller.h"

#include <algorithm>
#include <cmath>

#include "view/text_metrics.h"

namespace stilaro::view {
namespace {

constexpr double kMenuRow = 22;
constexpr std::int32_t kMenuRows = 10;

}  // namespace

std::uint32_t Controller::open_filter(std::int32_t col) {
  FilterMenu m;
  m.col = col;
  m.values = editor_->filter_values(sheet_, col);
  const auto& filter = sheet_ref().auto_filter;
  const FilterColumn* active = nullptr;
  if (filter)
    for (const FilterColumn& fc : filter->columns)
      if (fc.col_offset == col - filter->range.first.col) active = &fc;
  for (const std::string& v : m.values) {
    bool shown = !active || (v.empty() ? active->blanks : std::find(active->values.begin(), active->values.end(), v) != active->values.end());
    m.shown.push_back(shown);
  }
  const Layout l = layout();
  const Rect button = l.filter_button({filter ? filter->range.first.row : 0, col});
  const double rows = std::min<double>(kMenuRows, static_cast<double>(m.values.size())) + 1;
  double w = 200;
  for (const std::string& v : m.values) w = std::max(w, text_width_px(v, 11, false) + 48);
  w = std::min(w, 320.0);
  const double h = rows * kMenuRow + 44;
  double x = std::min(button.x, width_ - w - 4);
  double y = button.bottom() + 2;
  if (y + h > height_ - Layout::kTabsHeight) y = std::max(Layout::kBarHeight, button.y - h - 2);
  m.box = {std::max(0.0, x), y, w, h};
  menu_ = std::move(m);
  return kRedraw;
}

// The menu: "(Seleziona tutto)", one line per value, then "OK" and "Annulla".
std::uint32_t Controller::filter_pointer(double x, double y) {
  FilterMenu& m = *menu_;
  if (!m.box.contains(x, y)) {
    menu_.reset();
    return kRedraw;
  }
  const double top = m.box.y + 6;
  const std::int32_t visible = std::min<std::int32_t>(kMenuRows, static_cast<std::int32_t>(m.values.size()));
  const double buttons_y = top + (visible + 1) * kMenuRow + 6;
  if (y >= buttons_y) {
    const bool ok = x < m.box.x + m.box.w / 2;
    std::uint32_t flags = kRedraw;
    if (ok) {
      const bool all = std::all_of(m.shown.begin(), m.shown.end(), [](bool b) { return b; });
      std::optional<std::vector<std::string>> shown;
      if (!all) {
        shown.emplace();
        for (std::size_t i = 0; i < m.values.size(); ++i)
          if (m.shown[i]) shown->push_back(m.values[i]);
      }
      if (editor_->set_filter(sheet_, m.col, shown)) flags |= after_change();
    }
    menu_.reset();
    return flags;
  }
  const auto line = static_cast<std::int32_t>(std::floor((y - top) / kMenuRow));
  if (line == 0) {
    const bool all = std::all_of(m.shown.begin(), m.shown.end(), [](bool b) { return b; });
    std::fill(m.shown.begin(), m.shown.end(), !all);
  } else if (line > 0 && line <= visible) {
    const std::size_t i = static_cast<std::size_t>(m.first + line - 1);
    if (i < m.shown.size()) m.shown[i] = !m.shown[i];
  }
  return kRedraw;
}

std::uint32_t Controller::filter_scroll(double dy) {
  if (dy == 0) return 0;
  const std::int32_t count = static_cast<std::int32_t>(menu_->values.size());
  menu_->first = std::clamp(menu_->first + (dy > 0 ? 1 : -1) * std::max(1, static_cast<std::int32_t>(std::abs(dy) / kMenuRow)),
                            0, std::max(0, count - kMenuRows));
  return kRedraw;
}

}  // namespace stilaro::view
