// The app's two error box texts and the details they carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvela {

std::string window_error_text(std::string_view detail);
std::string web_view_error_text(std::string_view detail);

// The message is made readable (readable_system_message) in the two details below.
// "WebView2 error: " + message + " (0x" + eight upper-case hex digits + ")".
std::string web_view_failure_detail(std::string_view system_message, std::uint32_t hresult);

// operation + ": " + message + " (os error " + decimal code + ")".
std::string window_failure_detail(std::string_view operation, std::string_view system_message,
                                  std::uint32_t error_code);

}  // namespace tarvela
