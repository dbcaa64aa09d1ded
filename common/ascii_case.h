// Comparisons that ignore the case of ASCII letters only, as URL schemes, file extensions and
// Windows path pieces are compared; other bytes must match exactly.
#pragma once

#include <string_view>

namespace tarvela {

char ascii_lower(char c);

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b);

bool contains_ignoring_ascii_case(std::string_view text, std::string_view part);

}  // namespace tarvela
