// Texts and numbers of the web view host and the main window that need no platform.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "local_request.h"

namespace tarvela {

inline constexpr std::string_view additional_browser_arguments =
    "--disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection"
    " --autoplay-policy=no-user-gesture-required";

// Gives every frame a read-only window.ipc whose postMessage goes to the host (which ignores it).
inline constexpr std::string_view bridge_script =
    "Object.defineProperty(window, 'ipc', { value: Object.freeze({ postMessage: s=> "
    "window.chrome.webview.postMessage(s) }) });";
// Tells the site it runs inside the Windows app.
inline constexpr std::string_view app_flag_script = "window.__TS_APP__ = 'windows';";

// The site's own background, shown before the first paint.
struct Rgb {
    std::uint8_t red, green, blue;
};
inline constexpr Rgb web_view_background = {11, 11, 12};

// The local origin (which ends in "/") followed by "*": the request filter that brings the local
// origin's requests, and no other host's, to the host.
std::string local_request_filter(std::string_view origin);

// True when the URL is on the local origin; a host that merely begins like it
// (https://tarvela.example.com/) belongs to the network.
bool is_local_origin_url(std::string_view url, std::string_view origin);

// Every "https://" + scheme + "." replaced by scheme + "://", as the local request handler
// expects: https://tarvela.localhost/a becomes tarvela://localhost/a.
std::string rewrite_local_url(std::string_view url, std::string_view scheme);

// The standard reason phrase of an HTTP status code; "OK" for a code without one.
std::string_view reason_phrase(int status);

// True when every byte is a tab, a space or visible ASCII.
bool is_visible_header_value(std::string_view value);

// "name: value\n" per header in order; headers whose value is not visible text are left out.
std::string response_header_text(std::span<const Header> headers);

// The two error box texts of the app.
std::string window_error_text(std::string_view detail);
std::string web_view_error_text(std::string_view detail);

// The message is made readable (readable_system_message) in the two details below.
// "WebView2 error: " + message + " (0x" + eight upper-case hex digits + ")".
std::string web_view_failure_detail(std::string_view system_message, std::uint32_t hresult);

// operation + ": " + message + " (os error " + decimal code + ")".
std::string window_failure_detail(std::string_view operation, std::string_view system_message,
                                  std::uint32_t error_code);

// How the app lets its windows use the dark mode, by Windows version.
enum class DarkModePermission { none, allow_dark_mode_for_app, set_preferred_app_mode };
DarkModePermission dark_mode_permission_for(std::uint32_t major_version, std::uint32_t build);

// How the caption is made dark, by Windows version.
enum class DarkCaption { none, window_property, dwm_attribute_19, dwm_attribute_20 };
DarkCaption dark_caption_for(std::uint32_t major_version, std::uint32_t build);

// Logical pixels to physical ones at a monitor's DPI (96 is a scale of 1), rounded to nearest.
int physical_from_logical(int logical, std::uint32_t dpi);

}  // namespace tarvela
