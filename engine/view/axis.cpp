#include "axis.h"

#include <algorithm>

namespace stilaro::view {

void Axis::set(std::int32_t i, double size) {
  if (i < 0 || i >= count_) return;
  if (static_cast<std::size_t>(i) >= sizes_.size()) sizes_.resize(i + 1, default_size_);
  sizes_[i] = std::max(0.0, size);
  stale_ = true;
}

double Axis::size(std::int32_t i) const {
  if (i < 0 || i >= count_) return 0;
  return static_cast<std::size_t>(i) < sizes_.size() ? sizes_[i] : default_size_;
}

void Axis::prefix() const {
  if (!stale_) return;
  starts_.assign(sizes_.size() + 1, 0);
  for (std::size_t i = 0; i < sizes_.size(); ++i) starts_[i + 1] = starts_[i] + sizes_[i];
  stale_ = false;
}

double Axis::position(std::int32_t i) const {
  prefix();
  i = std::clamp(i, 0, count_);
  const auto n = static_cast<std::int32_t>(sizes_.size());
  if (i <= n) return starts_[i];
  return starts_[n] + (i - n) * default_size_;
}

std::int32_t Axis::index_at(double offset) const {
  prefix();
  if (offset <= 0) return visible_from(0, 1);
  const auto n = static_cast<std::int32_t>(sizes_.size());
  if (offset < starts_[n]) {
    auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    std::int32_t i = static_cast<std::int32_t>(it - starts_.begin()) - 1;
    // Skip hidden indices that share the start offset.
    while (i < n - 1 && sizes_[i] <= 0) ++i;
    return i;
  }
  if (default_size_ <= 0) return count_ - 1;
  auto past = static_cast<std::int64_t>((offset - starts_[n]) / default_size_);
  return static_cast<std::int32_t>(std::min<std::int64_t>(n + past, count_ - 1));
}

std::int32_t Axis::visible_from(std::int32_t i, int step) const {
  for (std::int32_t k = i; k >= 0 && k < count_; k += step)
    if (!hidden(k)) return k;
  return i;
}

}  // namespace stilaro::view
