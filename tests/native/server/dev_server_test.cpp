// The dev server on a loopback port, with short limits, against clients written by hand.
#include "dev_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct Answer {
    int status = 0;
    std::string body;
};

// One connection to the server; every wait on it gives up after 5 s.
class Client {
public:
    explicit Client(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        timeval wait{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }

    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }

    // The next answer, read by its Content-Length; nothing when the connection ends first.
    std::optional<Answer> answer() {
        std::size_t end;
        while ((end = pending_.find("\r\n\r\n")) == std::string::npos) {
            if (!receive()) return std::nullopt;
        }
        const std::string head = pending_.substr(0, end);
        Answer answer;
        answer.status = std::stoi(head.substr(9, 3));
        const std::size_t length_at = head.find("Content-Length: ");
        const std::size_t length =
            length_at == std::string::npos ? 0 : std::stoul(head.substr(length_at + 16));
        while (pending_.size() < end + 4 + length) {
            if (!receive()) return std::nullopt;
        }
        answer.body = pending_.substr(end + 4, length);
        pending_.erase(0, end + 4 + length);
        return answer;
    }

    // True when the server has closed its side: the next read finds the end or a reset.
    bool closed_by_server() {
        while (receive()) {
        }
        return errno_ != EAGAIN && errno_ != EWOULDBLOCK;
    }

    // True when the server closed the connection within `wait`.
    bool closed_within(std::chrono::milliseconds wait) {
        timeval short_wait{0, static_cast<suseconds_t>(wait.count() * 1000)};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &short_wait, sizeof short_wait);
        const bool closed = closed_by_server();
        timeval normal{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &normal, sizeof normal);
        return closed;
    }

    int local_port() const {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }

private:
    bool receive() {
        char buffer[65536];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        errno_ = got < 0 ? errno : 0;
        if (got <= 0) return false;
        pending_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    int fd_;
    bool connected_ = false;
    int errno_ = 0;
    std::string pending_;
};

// The TCP_NODELAY setting of this process's socket whose peer is the given loopback port.
std::optional<int> no_delay_of_socket_talking_to(int peer_port) {
    DIR* fds = ::opendir("/proc/self/fd");
    std::optional<int> found;
    while (dirent* entry = ::readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        struct stat info;
        if (fd <= 2 || ::fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 || peer.sin_family != AF_INET ||
            ntohs(peer.sin_port) != peer_port) {
            continue;
        }
        int value = 0;
        socklen_t size = sizeof value;
        if (::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &value, &size) == 0) found = value;
    }
    ::closedir(fds);
    return found;
}

class DevServerTest : public ::testing::Test {
protected:
    tarvela::LocalRequestHandler handler{"https://www.palestretarvela.it/"};
    tarvela::DevServer server{handler, {.request_time = 400ms, .header_bytes = 8 * 1024, .body_bytes = 64 * 1024}};
    int port = 0;
    std::thread running;

    void SetUp() override {
        port = server.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        running = std::thread([this] { server.listen_after_bind(); });
        for (int i = 0; i < 5000 && !server.is_running(); ++i) std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(server.is_running());
    }

    void TearDown() override {
        server.stop();
        if (running.joinable()) running.join();
    }
};

TEST_F(DevServerTest, KeptAliveConnectionAnswersInTurnWithNagleOff) {
    Client client(port);
    ASSERT_TRUE(client.connected());

    ASSERT_TRUE(client.send("GET /icon-192.png HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto icon = client.answer();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->status, 200);
    EXPECT_EQ(icon->body.substr(1, 3), "PNG");
    EXPECT_EQ(no_delay_of_socket_talking_to(client.local_port()), 1);

    // A body the handler ignores is skipped, not read as the next request.
    ASSERT_TRUE(client.send("POST /avvio.html HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nciao!"
                            "GET /nulla HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto startup = client.answer();
    const auto missing = client.answer();
    ASSERT_TRUE(startup && missing);
    EXPECT_EQ(startup->status, 200);
    EXPECT_NE(startup->body.find("palestretarvela.it"), std::string::npos);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(missing->body, "non trovato");
}

TEST_F(DevServerTest, HeadersArrivingByTheByteAreCutOffAtTheDeadline) {
    Client slow(port);
    ASSERT_TRUE(slow.connected());
    ASSERT_TRUE(slow.send("GET / HTTP/1.1\r\n"));
    // One byte every 50 ms for up to 3 s: every single read is quick, the whole is not.
    bool closed = false;
    for (int i = 0; i < 60 && !closed; ++i) {
        closed = !slow.send("x") || slow.closed_within(50ms);
    }
    EXPECT_TRUE(closed);

    Client next(port);
    ASSERT_TRUE(next.send("GET /manifest.json HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto answer = next.answer();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
}

TEST_F(DevServerTest, OversizeHeadersAndBodiesAreNeverKept) {
    Client headers(port);
    ASSERT_TRUE(headers.connected());
    std::string many = "GET / HTTP/1.1\r\n";
    while (many.size() < 64 * 1024) many += "X-Riga: " + std::string(100, 'a') + "\r\n";
    headers.send(many + "\r\n");
    const auto refused = headers.answer();
    EXPECT_TRUE(!refused || refused->status != 200);
    EXPECT_TRUE(headers.closed_by_server());

    // The answer comes without the body; the connection ends long before 64 MB are taken.
    Client body(port);
    ASSERT_TRUE(body.send("POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 200000000\r\n\r\n"));
    const auto answer = body.answer();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    const std::string megabyte(1 << 20, 'a');
    int sent = 0;
    while (sent < 64 && body.send(megabyte)) ++sent;
    EXPECT_LT(sent, 64);
}

}  // namespace
