#include "window_icon_bits.h"

#include <utility>

namespace tarvela {

IconBits window_icon_bits(std::span<const std::uint8_t> rgba) {
    constexpr std::size_t pixel_count = window_icon_side * window_icon_side;
    if (rgba.size() != pixel_count * 4) return {};
    IconBits bits{std::vector<std::uint8_t>(rgba.begin(), rgba.end()), std::vector<std::uint8_t>(pixel_count / 8, 0)};
    for (std::size_t i = 0; i < pixel_count; ++i) {
        std::swap(bits.colour[i * 4], bits.colour[i * 4 + 2]);
        if (bits.colour[i * 4 + 3] == 0) bits.and_mask[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    }
    return bits;
}

}  // namespace tarvela
