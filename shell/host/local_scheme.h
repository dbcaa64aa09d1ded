// How the web view's requests for the local origin reach the local request handler, and how its
// answers are written back: the request filter, the URL rewriting, reason phrases and header text.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "local_request.h"

namespace tarvela {

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

}  // namespace tarvela
