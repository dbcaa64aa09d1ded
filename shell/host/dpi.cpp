#include "dpi.h"

namespace tarvela {

int physical_from_logical(int logical, std::uint32_t dpi) {
    const double scaled = static_cast<double>(logical) * (dpi == 0 ? 96 : dpi) / 96.0;
    return static_cast<int>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
}

}  // namespace tarvela
