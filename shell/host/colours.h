// The colours the host paints before the site does.
#pragma once

#include <cstdint>

namespace tarvela {

struct Rgb {
    std::uint8_t red, green, blue;
};

// The site's own background, shown before the first paint.
inline constexpr Rgb web_view_background = {11, 11, 12};

}  // namespace tarvela
