#include "navigation_policy.h"

#include <array>

#include "ascii_case.h"
#include "settings.h"

namespace tarvela {

namespace {

// After the public site URL, in this order.
constexpr std::array<std::string_view, 6> fixed_prefixes{
    local_origin, "http://tarvela.localhost/", "about:", "data:", "blob:", "javascript:",
};

constexpr std::array<std::string_view, 4> external_schemes{"http", "https", "mailto", "tel"};

void open_if_allowed(const OpenExternally& open_externally, std::string_view url) {
    if (may_open_externally(url)) open_externally(url);
}

}  // namespace

bool may_open_externally(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view scheme = url.substr(0, colon);
    for (const std::string_view allowed : external_schemes) {
        if (equal_ignoring_ascii_case(scheme, allowed)) return true;
    }
    return false;
}

bool is_allowed_in_app(std::string_view url, std::string_view site_url) {
    if (!site_url.empty() && url.starts_with(site_url)) return true;
    for (const std::string_view prefix : fixed_prefixes) {
        if (url.starts_with(prefix)) return true;
    }
    return false;
}

bool NavigationDecision::operator()(std::string_view url) const {
    const bool allowed = is_allowed_in_app(url, site_url_);
    if (!allowed) open_if_allowed(open_externally_, url);
    return allowed;
}

bool NewWindowDecision::operator()(std::string_view url) const {
    if (!is_allowed_in_app(url, site_url_)) open_if_allowed(open_externally_, url);
    return false;
}

}  // namespace tarvela
