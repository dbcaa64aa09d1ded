// The dev server's HTTP side: every request goes to the local request handler, and every
// connection is bounded in time and size, so that one slow or greedy client can neither hold
// the workers nor fill the memory.
#pragma once

#include <chrono>
#include <cstddef>

#include <httplib.h>

#include "request_handler.h"

namespace tarvela {

struct DevServerLimits {
    // From the first byte of a request to the last byte of its body.
    std::chrono::milliseconds request_time{5000};
    // Request line and headers together.
    std::size_t header_bytes = 64 * 1024;
    // Bodies are skipped, never kept; a larger one closes the connection after the answer.
    std::size_t body_bytes = 1024 * 1024;
};

class DevServer : public httplib::Server {
public:
    // The handler must outlive the server.
    explicit DevServer(const LocalRequestHandler& handler, DevServerLimits limits = {});

private:
    bool process_and_close_socket(socket_t sock) override;

    DevServerLimits limits_;
};

}  // namespace tarvela
