// Which URLs stay in the app window and which are handed to the system.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarvela {

// True when `url` begins with the public site URL, the local origin (https or http),
// "about:", "data:", "blob:" or "javascript:". Exact, case-sensitive prefix test on the text.
bool is_allowed_in_app(std::string_view url, std::string_view site_url);

// True when the URL's scheme (any letter case) is http, https, mailto or tel: the only
// kinds that a page may hand to the system. Any other scheme may start a program.
bool may_open_externally(std::string_view url);

// Hands a URL to the system's default handler; failures are dropped.
using OpenExternally = std::function<void(std::string_view url)>;

// May this top-level navigation go ahead? A URL that may not is opened externally when
// `may_open_externally` allows it, else dropped.
class NavigationDecision {
public:
    NavigationDecision(std::string site_url, OpenExternally open_externally)
        : site_url_(std::move(site_url)), open_externally_(std::move(open_externally)) {}
    bool operator()(std::string_view url) const;

private:
    std::string site_url_;
    OpenExternally open_externally_;
};

// May a page open a new window? Never: a URL that may not stay in the app is opened externally
// (as above), one that may is not shown anywhere.
class NewWindowDecision {
public:
    NewWindowDecision(std::string site_url, OpenExternally open_externally)
        : site_url_(std::move(site_url)), open_externally_(std::move(open_externally)) {}
    bool operator()(std::string_view url) const;

private:
    std::string site_url_;
    OpenExternally open_externally_;
};

}  // namespace tarvela
