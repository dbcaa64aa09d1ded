// The running system's real version (the process carries no manifest that would let the
// ordinary version calls tell the truth).
#pragma once

#include <cstdint>

namespace tarvela::win {

struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t build = 0;
};

WindowsVersion windows_version();

}  // namespace tarvela::win
