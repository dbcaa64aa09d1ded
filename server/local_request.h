// Request and response of the local origin, as value types independent of any web view binding.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarvela {

struct LocalRequest {
    std::string method;
    // As the web view reports it ("https://tarvela.localhost/index.html?v=1"), or just the
    // request target ("/index.html?v=1") when no scheme and host are known.
    std::string url;
};

// Header names and values are constants of this program, so views suffice.
struct Header {
    std::string_view name;
    std::string_view value;
    friend bool operator==(const Header&, const Header&) = default;
};

class ResponseBody {
public:
    // Static bytes (a bundle file, a constant text): handed out by reference.
    explicit ResponseBody(std::span<const std::uint8_t> view) : bytes_(view) {}
    explicit ResponseBody(std::string_view constant_text)
        : bytes_(std::span(reinterpret_cast<const std::uint8_t*>(constant_text.data()), constant_text.size())) {}
    // Text generated for this response, owned by it.
    explicit ResponseBody(std::string owned) : bytes_(std::move(owned)) {}

    // For an owned body the bytes live inside this object: keep it alive while they are read.
    std::span<const std::uint8_t> bytes() const {
        if (const auto* view = std::get_if<std::span<const std::uint8_t>>(&bytes_)) return *view;
        const auto& owned = std::get<std::string>(bytes_);
        return {reinterpret_cast<const std::uint8_t*>(owned.data()), owned.size()};
    }
    bool is_owned() const { return std::holds_alternative<std::string>(bytes_); }

private:
    std::variant<std::span<const std::uint8_t>, std::string> bytes_;
};

struct LocalResponse {
    int status;
    std::vector<Header> headers;  // in the order they are to be sent
    ResponseBody body;
};

}  // namespace tarvela
