// Answers every request of the local origin from the site bundle and the startup page.
#pragma once

#include <string>
#include <string_view>

#include "local_request.h"

namespace tarvela {

// The bundle name a request URL asks for: the path without query or fragment, every leading
// "/" removed, percent-decoded in one pass, read as UTF-8 (invalid sequences become U+FFFD),
// with "index.html" appended when empty or ending in "/".
std::string bundle_name_for_url(std::string_view url);

class LocalRequestHandler {
public:
    explicit LocalRequestHandler(std::string site_url) : site_url_(std::move(site_url)) {}

    // Exactly one response per request; only the URL's path is looked at.
    LocalResponse handle(const LocalRequest& request) const;

private:
    std::string site_url_;
};

}  // namespace tarvela
