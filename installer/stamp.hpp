#pragma once
// The build stamp test: does the text recorded in the install folder name this build?
#include <string_view>

namespace installer {

// Removes leading and trailing Unicode white space (the White_Space property,
// next line and no-break space included). The text must be valid UTF-8.
std::string_view trim_unicode_white_space(std::string_view text);

// The stamp is current when it is valid UTF-8 and, trimmed, equals the build
// id byte for byte.
bool stamp_matches(std::string_view stamp, std::string_view build_id);

}  // namespace installer
