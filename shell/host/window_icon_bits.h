// The window icon's pixels in the form CreateIcon takes them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarvela {

inline constexpr int window_icon_side = 64;

struct IconBits {
    std::vector<std::uint8_t> colour;    // blue, green, red, alpha per pixel, rows top to bottom
    std::vector<std::uint8_t> and_mask;  // one bit per pixel, set where the pixel is fully transparent
};

// From 64x64 red, green, blue, alpha pixels; empty when the input has any other size.
IconBits window_icon_bits(std::span<const std::uint8_t> rgba);

}  // namespace tarvela
