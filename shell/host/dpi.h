// Sizes on monitors of any scale.
#pragma once

#include <cstdint>

namespace tarvela {

// Logical pixels to physical ones at a monitor's DPI (96 is a scale of 1), rounded to nearest.
int physical_from_logical(int logical, std::uint32_t dpi);

}  // namespace tarvela
