// Dev server: answers every request on a loopback address through the app's own local request
// handler, so the embedded site and the startup page can be opened in any browser.
//
// usage: tarvela-serve [--port N] [--host ADDRESS]   (site URL from TARVELA_SITO)

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "dev_server.h"
#include "request_handler.h"
#include "settings.h"
#include "utf8.h"

namespace {

struct Options {
    std::string host = "127.0.0.1";
    int port = 8080;
};

std::optional<Options> parse_options(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 == argc) return std::nullopt;
        const std::string value = argv[++i];
        if (arg == "--host") {
            options.host = value;
        } else if (arg == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port < 0 || port > 65535) return std::nullopt;
            options.port = static_cast<int>(port);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// Linux environment values are bytes; bytes that are not UTF-8 become unpaired surrogates
// (U+DC80 to U+DCFF), so the settings see them as not valid Unicode, as they would on Windows.
std::u16string utf16_from_environment(std::string_view bytes) {
    std::u16string units;
    while (!bytes.empty()) {
        const tarvela::DecodedCodePoint decoded = tarvela::decode_utf8(bytes);
        if (decoded.valid) {
            tarvela::append_utf16(units, decoded.code_point);
            bytes.remove_prefix(decoded.length);
        } else {
            units += static_cast<char16_t>(0xDC00 | static_cast<unsigned char>(bytes[0]));
            bytes.remove_prefix(1);
        }
    }
    return units;
}

std::optional<std::u16string> lookup_environment(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    return utf16_from_environment(value);
}

std::string base_url(const std::string& host, int port) {
    const bool ipv6 = host.find(':') != std::string::npos;
    return "http://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse_options(argc, argv);
    if (!options) {
        std::cerr << "usage: tarvela-serve [--port N] [--host ADDRESS]\n";
        return 2;
    }

    // A browser that drops a connection mid-answer must not end the server.
    std::signal(SIGPIPE, SIG_IGN);

    const tarvela::LocalRequestHandler handler(tarvela::load_settings(lookup_environment).site_url);
    tarvela::DevServer server(handler);

    int port = options->port;
    if (port == 0) {
        port = server.bind_to_any_port(options->host);
    } else if (!server.bind_to_port(options->host, port)) {
        port = -1;
    }
    if (port < 0) {
        std::cerr << "tarvela-serve: cannot listen on " << base_url(options->host, options->port) << '\n';
        return 1;
    }
    std::cout << base_url(options->host, port) << std::endl;
    return server.listen_after_bind() ? 0 : 1;
}
