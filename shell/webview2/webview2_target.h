// The runtime version our WebView2 declarations were written for. The app asks the runtime for
// compatibility with it, and our loader passes over any older runtime: it may lack interfaces the
// app calls.
#pragma once

#include <string_view>

namespace tarvela {

inline constexpr std::string_view webview2_target_version = "126.0.2592.51";

}  // namespace tarvela
