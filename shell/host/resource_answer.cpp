#include "resource_answer.h"

#include "local_scheme.h"

namespace tarvela {

AnswerParts response_parts(const LocalResponse& response) {
    return {response.status, reason_phrase(response.status), response_header_text(response.headers),
            response.body.bytes()};
}

AnswerParts bad_request_parts(std::string_view error) {
    return {400, reason_phrase(400), "content-type: text/plain; charset=utf-8\n",
            std::span(reinterpret_cast<const std::uint8_t*>(error.data()), error.size())};
}

}  // namespace tarvela
