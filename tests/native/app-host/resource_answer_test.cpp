#include "resource_answer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvela {
namespace {

// What the runtime was given, and a runtime that refuses the first `refusals` answers.
struct Runtime {
    int refusals = 0;
    std::vector<std::pair<int, std::string>> given;  // status and "reason|headers|body"

    std::uint32_t set(const AnswerParts& parts) {
        given.emplace_back(parts.status, std::string(parts.reason) + "|" + parts.headers + "|" +
                                             std::string(parts.body.begin(), parts.body.end()));
        return refusals-- > 0 ? 0x8007000Eu : 0u;
    }
};

std::string describe(std::uint32_t code) { return "refused " + std::to_string(code); }

LocalResponse page() {
    return LocalResponse{200, {{"content-type", "text/html"}, {"cache-control", "no-store"}}, ResponseBody(std::string_view("<p>"))};
}

TEST(Answer, TheHandlersResponseIsGivenAsItIs) {
    Runtime runtime;
    const auto result = answer(response_parts(page()), [&](const AnswerParts& parts) { return runtime.set(parts); }, describe);
    EXPECT_EQ(result, 0u);
    ASSERT_EQ(runtime.given.size(), 1u);
    EXPECT_EQ(runtime.given[0], std::make_pair(200, std::string("OK|content-type: text/html\ncache-control: no-store\n|<p>")));
}

TEST(Answer, AResponseTheRuntimeCannotTakeBecomesABadRequestNamingWhy) {
    Runtime runtime;
    runtime.refusals = 1;
    const auto result = answer(response_parts(page()), [&](const AnswerParts& parts) { return runtime.set(parts); }, describe);
    EXPECT_EQ(result, 0u);
    ASSERT_EQ(runtime.given.size(), 2u);
    // Never an empty success: the failure is a 400 with a content type, so the request completes.
    EXPECT_EQ(runtime.given[1],
              std::make_pair(400, std::string("Bad Request|content-type: text/plain; charset=utf-8\n|refused 2147942414")));
}

TEST(Answer, WhenTheBadRequestIsRefusedTooABareOneIsTriedThenTheCodeIsReturned) {
    Runtime runtime;
    runtime.refusals = 2;
    EXPECT_EQ(answer(response_parts(page()), [&](const AnswerParts& parts) { return runtime.set(parts); }, describe), 0u);
    ASSERT_EQ(runtime.given.size(), 3u);
    EXPECT_EQ(runtime.given[2], std::make_pair(400, std::string("Bad Request|content-type: text/plain; charset=utf-8\n|")));

    Runtime refusing;
    refusing.refusals = 3;
    EXPECT_EQ(answer(response_parts(page()), [&](const AnswerParts& parts) { return refusing.set(parts); }, describe),
              0x8007000Eu);
    EXPECT_EQ(refusing.given.size(), 3u);
}

}  // namespace
}  // namespace tarvela
