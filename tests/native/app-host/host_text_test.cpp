#include "host_text.h"

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

TEST(Texts, FixedTextsHaveTheirExactLengths) {
    EXPECT_EQ(additional_browser_arguments.size(), 105u);
    EXPECT_EQ(bridge_script.size(), 122u);
    EXPECT_EQ(app_flag_script, "window.__TS_APP__ = 'windows';");
}

TEST(Texts, ErrorBoxTexts) {
    EXPECT_EQ(window_error_text("CreateWindowExW: Access denied. (os error 5)"),
              "Non riesco ad aprire la finestra dell'app.\n\nCreateWindowExW: Access denied. (os error 5)");
    EXPECT_EQ(web_view_error_text(web_view_failure_detail("File not found.\r\n", 0x80070002u)),
              "Per aprire l'app serve \u00abMicrosoft Edge WebView2\u00bb, che di solito c'e' gia' in Windows.\n"
              "Si scarica gratis dal sito di Microsoft (cerca \u00abWebView2 Runtime\u00bb).\n\n"
              "Dettaglio: WebView2 error: File not found. (0x80070002)");
    EXPECT_EQ(web_view_failure_detail("x", 0x1u), "WebView2 error: x (0x00000001)");
    EXPECT_EQ(window_failure_detail("RegisterClassExW", "Class already exists.\r\n", 1410),
              "RegisterClassExW: Class already exists. (os error 1410)");
}

TEST(Theme, DarkModeByWindowsBuild) {
    EXPECT_EQ(dark_mode_permission_for(6, 9600), DarkModePermission::none);
    EXPECT_EQ(dark_mode_permission_for(10, 17134), DarkModePermission::none);
    EXPECT_EQ(dark_mode_permission_for(10, 17763), DarkModePermission::allow_dark_mode_for_app);
    EXPECT_EQ(dark_mode_permission_for(10, 18361), DarkModePermission::allow_dark_mode_for_app);
    EXPECT_EQ(dark_mode_permission_for(10, 18362), DarkModePermission::set_preferred_app_mode);
    EXPECT_EQ(dark_mode_permission_for(10, 22631), DarkModePermission::set_preferred_app_mode);

    EXPECT_EQ(dark_caption_for(6, 9600), DarkCaption::none);
    EXPECT_EQ(dark_caption_for(10, 17762), DarkCaption::window_property);
    EXPECT_EQ(dark_caption_for(10, 17763), DarkCaption::dwm_attribute_19);
    EXPECT_EQ(dark_caption_for(10, 18985), DarkCaption::dwm_attribute_19);
    EXPECT_EQ(dark_caption_for(10, 18986), DarkCaption::dwm_attribute_20);
}

TEST(Sizes, LogicalToPhysicalFollowsTheMonitorScale) {
    EXPECT_EQ(physical_from_logical(1320, 96), 1320);
    EXPECT_EQ(physical_from_logical(1320, 144), 1980);
    EXPECT_EQ(physical_from_logical(880, 144), 1320);
    EXPECT_EQ(physical_from_logical(380, 120), 475);
    EXPECT_EQ(physical_from_logical(-4000, 144), -6000);
    EXPECT_EQ(physical_from_logical(561, 120), 701);  // 701.25
    EXPECT_EQ(physical_from_logical(1320, 0), 1320);  // DPI unknown: scale 1
}

}  // namespace
}  // namespace tarvela
