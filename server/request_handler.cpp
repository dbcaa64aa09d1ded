#include "request_handler.h"

#include <algorithm>

#include "content_type.h"
#include "site_bundle.h"
#include "startup_page.h"
#include "utf8.h"

namespace tarvela {

namespace {

using namespace std::string_view_literals;

constexpr Header html_type{"content-type", "text/html; charset=utf-8"};
constexpr Header no_store{"cache-control", "no-store"};
constexpr Header no_cache{"cache-control", "no-cache"};
constexpr Header plain_text_type{"content-type", "text/plain; charset=utf-8"};
constexpr std::string_view not_found_text = "non trovato";

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Where the path begins: after "scheme://authority" or "scheme:", at 0 for a bare target.
std::size_t path_start(std::string_view url) {
    if (url.empty() || !is_ascii_letter(url[0])) return 0;
    std::size_t i = 1;
    while (i < url.size() && (is_ascii_letter(url[i]) || (url[i] >= '0' && url[i] <= '9') ||
                              url[i] == '+' || url[i] == '-' || url[i] == '.')) {
        ++i;
    }
    if (i == url.size() || url[i] != ':') return 0;
    ++i;
    if (url.substr(i, 2) != "//"sv) return i;
    return std::min(url.find_first_of("/?#", i + 2), url.size());
}

std::string_view path_of(std::string_view url) {
    const std::size_t start = path_start(url);
    const std::size_t stop = std::min(url.find_first_of("?#", start), url.size());
    return url.substr(start, stop - start);
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One pass: "%" and two hex digits become one byte; any other "%" stays as it is.
std::string percent_decode(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && text.size() - i >= 3) {
            const int high = hex_value(text[i + 1]);
            const int low = hex_value(text[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        bytes.push_back(text[i]);
    }
    return bytes;
}

// Valid UTF-8 is kept; each maximal invalid subpart becomes U+FFFD, as browsers decode.
std::string replace_invalid_utf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const DecodedCodePoint decoded = decode_utf8(bytes);
        if (decoded.valid) {
            text += bytes.substr(0, decoded.length);
        } else {
            append_utf8(text, replacement_character);
        }
        bytes.remove_prefix(decoded.length);
    }
    return text;
}

}  // namespace

std::string bundle_name_for_url(std::string_view url) {
    std::string_view path = path_of(url);
    path.remove_prefix(std::min(path.find_first_not_of('/'), path.size()));
    std::string name = replace_invalid_utf8(percent_decode(path));
    if (name.empty() || name.back() == '/') name += "index.html";
    return name;
}

LocalResponse LocalRequestHandler::handle(const LocalRequest& request) const {
    const std::string name = bundle_name_for_url(request.url);
    if (name == startup_page_name) {
        return {200, {html_type, no_store}, ResponseBody(render_startup_page(site_url_))};
    }
    if (const BundleEntry* entry = find_in_bundle(name)) {
        return {200, {{"content-type", content_type_for(entry->name())}, no_cache}, ResponseBody(entry->content())};
    }
    return {404, {plain_text_type}, ResponseBody(not_found_text)};
}

}  // namespace tarvela
