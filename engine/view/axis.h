#pragma once
// Sizes and positions along one direction of the grid (columns or rows), at
// zoom 1 in CSS pixels. Indices past the explicit ones have the default size,
// so a sheet with a million rows costs only what it actually sets.
#include <cstdint>
#include <vector>

namespace stilaro::view {

class Axis {
 public:
  Axis(double default_size, std::int32_t count) : default_size_(default_size), count_(count) {}

  // Sets the size of index i (0 hides it); indices are 0-based.
  void set(std::int32_t i, double size);
  double size(std::int32_t i) const;
  bool hidden(std::int32_t i) const { return size(i) <= 0; }
  std::int32_t count() const { return count_; }

  // Offset of the start of index i from the start of index 0.
  double position(std::int32_t i) const;
  // The index covering an offset (clamped to the axis); offsets before 0 give 0.
  std::int32_t index_at(double offset) const;
  double total() const { return position(count_); }

  // The nearest visible index from i going in step (+1 or -1), or i when none.
  std::int32_t visible_from(std::int32_t i, int step) const;

 private:
  void prefix() const;

  double default_size_;
  std::int32_t count_;
  std::vector<double> sizes_;
  mutable std::vector<double> starts_;  // starts_[i] = position(i) for explicit indices, plus the end
  mutable bool stale_ = true;
};

}  // namespace stilaro::view
