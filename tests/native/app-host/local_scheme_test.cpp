#include "local_scheme.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvela {
namespace {

TEST(LocalUrl, RewritesEveryOccurrenceOfTheHttpsFormToTheScheme) {
    EXPECT_EQ(rewrite_local_url("https://tarvela.localhost/avvio.html", "tarvela"), "tarvela://localhost/avvio.html");
    EXPECT_EQ(rewrite_local_url("https://tarvela.localhost/foto/x.jpg?v=1", "tarvela"),
              "tarvela://localhost/foto/x.jpg?v=1");
    EXPECT_EQ(rewrite_local_url("https://tarvela.localhost/a?u=https://tarvela.localhost/b", "tarvela"),
              "tarvela://localhost/a?u=tarvela://localhost/b");
    EXPECT_EQ(rewrite_local_url("https://tarvelax.localhost/", "tarvela"), "https://tarvelax.localhost/");
    EXPECT_EQ(rewrite_local_url("", "tarvela"), "");
}

TEST(LocalUrl, OnlyTheLocalOriginIsLocal) {
    EXPECT_TRUE(is_local_origin_url("https://tarvela.localhost/", "https://tarvela.localhost/"));
    EXPECT_TRUE(is_local_origin_url("https://tarvela.localhost/foto/x.jpg?v=1", "https://tarvela.localhost/"));
    // Other hosts that begin like ours belong to the network.
    EXPECT_FALSE(is_local_origin_url("https://tarvela.altro/", "https://tarvela.localhost/"));
    EXPECT_FALSE(is_local_origin_url("https://tarvela.example.com/", "https://tarvela.localhost/"));
    EXPECT_FALSE(is_local_origin_url("https://tarvela.localhostile/", "https://tarvela.localhost/"));
    EXPECT_FALSE(is_local_origin_url("https://tarvela.localhost.example.com/", "https://tarvela.localhost/"));
    EXPECT_FALSE(is_local_origin_url("https://tarvela.localhost:8443/", "https://tarvela.localhost/"));
    EXPECT_FALSE(is_local_origin_url("http://tarvela.localhost/", "https://tarvela.localhost/"));
    EXPECT_FALSE(is_local_origin_url("https://tarvelax.localhost/", "https://tarvela.localhost/"));
    EXPECT_FALSE(is_local_origin_url("https://tarvela", "https://tarvela.localhost/"));
    EXPECT_EQ(local_request_filter("https://tarvela.localhost/"), "https://tarvela.localhost/*");
}

TEST(Response, ReasonPhrasesAreTheStandardOnesWithOkForUnknownCodes) {
    EXPECT_EQ(reason_phrase(200), "OK");
    EXPECT_EQ(reason_phrase(404), "Not Found");
    EXPECT_EQ(reason_phrase(400), "Bad Request");
    EXPECT_EQ(reason_phrase(304), "Not Modified");
    EXPECT_EQ(reason_phrase(500), "Internal Server Error");
    EXPECT_EQ(reason_phrase(299), "OK");
    EXPECT_EQ(reason_phrase(0), "OK");
}

TEST(Response, HeaderTextIsOneLineFeedEndedLinePerHeaderInOrder) {
    const std::vector<Header> headers = {{"content-type", "text/html; charset=utf-8"}, {"cache-control", "no-store"}};
    EXPECT_EQ(response_header_text(headers), "content-type: text/html; charset=utf-8\ncache-control: no-store\n");
    EXPECT_EQ(response_header_text({}), "");
}

TEST(Response, HeadersWhoseValueIsNotVisibleTextAreLeftOut) {
    const std::vector<Header> headers = {{"a", "x\r\nset-cookie: y"},
                                         {"b", "caff\xc3\xa8"},
                                         {"c", "tab\tand space"},
                                         {"d", ""},
                                         {"e", std::string_view("nul\0", 4)}};
    EXPECT_EQ(response_header_text(headers), "c: tab\tand space\nd: \n");
}

}  // namespace
}  // namespace tarvela
