// The "content-type" value served for a bundle file, chosen by the extension of its name.
#pragma once

#include <string_view>

namespace tarvela {

// The extension is the text after the last "." (the whole name when there is none), compared
// without regard to ASCII letter case. Unknown extensions give "application/octet-stream".
std::string_view content_type_for(std::string_view name);

}  // namespace tarvela
