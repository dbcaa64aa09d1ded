#include "content_type.h"

#include <array>

#include "ascii_case.h"

namespace tarvela {

namespace {

struct ContentType {
    std::string_view extension;
    std::string_view value;
};

constexpr std::array content_types{
    ContentType{"html", "text/html; charset=utf-8"},
    ContentType{"htm", "text/html; charset=utf-8"},
    ContentType{"js", "text/javascript; charset=utf-8"},
    ContentType{"json", "application/json; charset=utf-8"},
    ContentType{"css", "text/css; charset=utf-8"},
    ContentType{"png", "image/png"},
    ContentType{"jpg", "image/jpeg"},
    ContentType{"jpeg", "image/jpeg"},
    ContentType{"webp", "image/webp"},
    ContentType{"svg", "image/svg+xml"},
    ContentType{"ico", "image/x-icon"},
    ContentType{"wasm", "application/wasm"},
    ContentType{"woff2", "font/woff2"},
    ContentType{"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
};

constexpr std::string_view unknown_type = "application/octet-stream";

}  // namespace

std::string_view content_type_for(std::string_view name) {
    const auto dot = name.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? name : name.substr(dot + 1);
    for (const ContentType& type : content_types) {
        if (equal_ignoring_ascii_case(extension, type.extension)) return type.value;
    }
    return unknown_type;
}

}  // namespace tarvela
