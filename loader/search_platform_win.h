// The runtime search's view of this process: its registry, environment, files and executable.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "runtime_search.h"

namespace tarvela::loader {

SearchPlatform windows_search_platform();

std::string utf8_from_wide(std::wstring_view text);
std::wstring wide_from_utf8(std::string_view text);

}  // namespace tarvela::loader
