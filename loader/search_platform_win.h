// The runtime search's view of this process: its registry, environment, files and executable.
#pragma once

#include "runtime_search.h"

namespace tarvela::loader {

// Texts that are not valid Unicode (an unpaired surrogate) read as missing.
SearchPlatform windows_search_platform();

}  // namespace tarvela::loader
