// How the host answers a request of the local origin: the handler's response, or a 400 naming
// why that response could not be handed to the runtime. Plain logic; the runtime's side is a
// parameter.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "local_request.h"

namespace tarvela {

// What the runtime is given for one answer.
struct AnswerParts {
    int status;
    std::string_view reason;
    // "name: value\n" lines. Ours always name a content type: with none, the runtime may never
    // complete the request.
    std::string headers;
    std::span<const std::uint8_t> body;
};

AnswerParts response_parts(const LocalResponse& response);

// 400 "Bad Request" with the error as a plain text body.
AnswerParts bad_request_parts(std::string_view error);

// Sets `first` through `set` (parts -> 0, or the failure's code); when the runtime refuses it,
// a 400 whose body is `describe(code)`; when that is refused too, a 400 with no body. A request of
// the local origin is never left unanswered, since the network would then answer it, and a body
// that cannot be handed over is never answered as an empty success. Returns 0, or the code of
// the last refusal.
template <typename Set, typename Describe>
std::uint32_t answer(const AnswerParts& first, Set set, Describe describe) {
    std::uint32_t failure = set(first);
    if (failure == 0) return 0;
    const std::string error = describe(failure);
    failure = set(bad_request_parts(error));
    if (failure == 0) return 0;
    return set(bad_request_parts({}));
}

}  // namespace tarvela
