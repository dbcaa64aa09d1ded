// The scripts the host adds to every page before the page's own.
#pragma once

#include <string_view>

namespace tarvela {

// Gives every frame a read-only window.ipc whose postMessage goes to the host (which ignores it).
inline constexpr std::string_view bridge_script =
    "Object.defineProperty(window, 'ipc', { value: Object.freeze({ postMessage: s=> "
    "window.chrome.webview.postMessage(s) }) });";
// Tells the site it runs inside the Windows app.
inline constexpr std::string_view app_flag_script = "window.__TS_APP__ = 'windows';";

}  // namespace tarvela
