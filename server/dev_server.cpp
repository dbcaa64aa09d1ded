#include "dev_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

namespace tarvela {

namespace {

using Clock = std::chrono::steady_clock;

bool wait_for(socket_t sock, short events, std::chrono::milliseconds timeout) {
    pollfd entry{sock, events, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(std::max<std::int64_t>(timeout.count(), 0)));
    return ready > 0;
}

void address_of(socket_t sock, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int got = peer ? ::getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length)
                         : ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    if (got != 0) return;
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

// One connection. Reads stop, as a failed read, once the current request has used its time,
// its header bytes or its body bytes; bytes read ahead stay buffered for the next request.
class BoundedStream : public httplib::Stream {
public:
    BoundedStream(socket_t sock, std::chrono::milliseconds write_timeout, const DevServerLimits& limits)
        : sock_(sock), write_timeout_(write_timeout), limits_(limits) {}

    // Waits for the first byte of the next request, then starts its allowance.
    bool next_request(std::chrono::milliseconds idle_timeout) {
        if (buffered_ == 0 && !wait_for(sock_, POLLIN, idle_timeout)) return false;
        deadline_ = Clock::now() + limits_.request_time;
        in_headers_ = true;
        line_is_empty_ = false;
        bytes_left_ = limits_.header_bytes;
        // A request refused before its headers were read leaves its body unknown.
        body_skippable_ = false;
        return true;
    }

    // The handler never reads a body: what the request declares is skipped after the answer,
    // so that it is not taken for the next request.
    void expect_body(const httplib::Request& request) {
        body_left_ = 0;
        body_skippable_ = !request.has_header("Transfer-Encoding");
        if (!request.has_header("Content-Length")) return;
        const std::string length = request.get_header_value("Content-Length");
        const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), body_left_);
        body_skippable_ = body_skippable_ && error == std::errc() && end == length.data() + length.size() &&
                          body_left_ <= limits_.body_bytes;
    }

    // False when the connection must close: a body too large, not in time or not by length.
    bool skip_body() {
        if (!body_skippable_) return false;
        char sink[4096];
        while (body_left_ > 0) {
            const ssize_t got = read(sink, std::min(sizeof sink, body_left_));
            if (got <= 0) return false;
            body_left_ -= static_cast<std::size_t>(got);
        }
        return true;
    }

    bool is_readable() const override { return buffered_ > 0 || wait_for(sock_, POLLIN, time_left()); }
    bool is_writable() const override { return wait_for(sock_, POLLOUT, write_timeout_); }

    ssize_t read(char* ptr, size_t size) override {
        if (bytes_left_ == 0) return -1;
        if (buffered_ == 0) {
            if (!wait_for(sock_, POLLIN, time_left())) return -1;
            const ssize_t got = ::recv(sock_, buffer_.data(), buffer_.size(), 0);
            if (got <= 0) return got;
            start_ = 0;
            buffered_ = static_cast<std::size_t>(got);
        }
        std::size_t count = std::min({size, buffered_, bytes_left_});
        const bool headers_end = in_headers_ && headers_end_within(count);
        std::memcpy(ptr, buffer_.data() + start_, count);
        start_ += count;
        buffered_ -= count;
        bytes_left_ -= count;
        if (headers_end) {
            in_headers_ = false;
            // Chunk sizes and trailers come with the body: room for them besides its bytes.
            bytes_left_ = limits_.body_bytes + limits_.header_bytes;
        }
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        return ::send(sock_, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { address_of(sock_, true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address_of(sock_, false, ip, port); }
    socket_t socket() const override { return sock_; }

private:
    // True when the blank line that closes the headers lies in the next `count` bytes; the
    // delivery is then shortened to end with it.
    bool headers_end_within(std::size_t& count) {
        for (std::size_t i = 0; i < count; ++i) {
            const char c = buffer_[start_ + i];
            if (c == '\n') {
                if (line_is_empty_) {
                    count = i + 1;
                    return true;
                }
                line_is_empty_ = true;
            } else if (c != '\r') {
                line_is_empty_ = false;
            }
        }
        return false;
    }

    std::chrono::milliseconds time_left() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
    }

    socket_t sock_;
    std::chrono::milliseconds write_timeout_;
    const DevServerLimits& limits_;
    Clock::time_point deadline_{};
    bool in_headers_ = true;
    bool line_is_empty_ = false;
    std::size_t body_left_ = 0;
    bool body_skippable_ = false;
    std::size_t bytes_left_ = 0;
    std::array<char, 16 * 1024> buffer_{};
    std::size_t start_ = 0;
    std::size_t buffered_ = 0;
};

}  // namespace

DevServer::DevServer(const LocalRequestHandler& handler, DevServerLimits limits) : limits_(limits) {
    // Each answer is written in two parts; with Nagle's algorithm the second waits for an ACK.
    set_tcp_nodelay(true);
    // Every request, whatever its method or path, is answered here and nowhere else.
    set_pre_routing_handler([&handler](const httplib::Request& request, httplib::Response& response) {
        // The handler answers whole files only: keep the library from cutting the body to a
        // requested range. (The request object is the library's own mutable one.)
        const_cast<httplib::Request&>(request).ranges.clear();
        const LocalResponse answer = handler.handle({request.method, request.target});
        response.status = answer.status;
        for (const Header& header : answer.headers) {
            response.headers.emplace(std::string(header.name), std::string(header.value));
        }
        const auto bytes = answer.body.bytes();
        response.body.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return HandlerResponse::Handled;
    });
}

// The library's own loop bounds each read but not a request as a whole: a client sending one
// byte at a time could keep a worker forever, and an unread body was parsed as the next
// request, all of it held in memory. This loop gives every request a deadline and a byte
// allowance, and skips bodies.
bool DevServer::process_and_close_socket(socket_t sock) {
    const int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    BoundedStream stream(sock, std::chrono::seconds(write_timeout_sec_), limits_);
    bool ok = false;
    for (std::size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
        if (!stream.next_request(std::chrono::seconds(keep_alive_timeout_sec_))) break;
        bool closed = false;
        ok = process_request(stream, left == 1, closed,
                             [&stream](httplib::Request& request) { stream.expect_body(request); });
        if (!ok || closed || !stream.skip_body()) break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

}  // namespace tarvela
