// The app's first page: probes the public site, then moves to it or to the local copy.
#pragma once

#include <string>
#include <string_view>

namespace tarvela {

// The name under which the local origin serves the startup page.
inline constexpr std::string_view startup_page_name = "avvio.html";

// The page with "{ONLINE}" standing inside a double-quoted script string.
extern const std::string_view startup_page_template;

// The template with the placeholder replaced by `site_url`, written as a script string literal
// whose value is exactly `site_url`: "\", a double quote, "<" and control characters are
// escaped, so no value can end the string or the script element. Any other byte is copied as is.
std::string render_startup_page(std::string_view site_url);

}  // namespace tarvela
