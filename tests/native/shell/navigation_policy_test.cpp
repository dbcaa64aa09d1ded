#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "navigation_policy.h"

namespace {

using tarvela::is_allowed_in_app;

const std::string site = "https://www.palestretarvela.it/";

TEST(NavigationPolicy, AllowedPrefixes) {
    for (const char* url : {"https://www.palestretarvela.it/", "https://www.palestretarvela.it/#p-corsi",
                            "https://www.palestretarvela.it/foto/tavra-sala.jpg", "https://tarvela.localhost/",
                            "https://tarvela.localhost/index.html", "https://tarvela.localhost/avvio.html",
                            "http://tarvela.localhost/", "about:blank", "about:", "data:text/html,ciao",
                            "blob:https://tarvela.localhost/1234", "javascript:void(0)"}) {
        EXPECT_TRUE(is_allowed_in_app(url, site)) << url;
    }
}

TEST(NavigationPolicy, EverythingElseGoesOut) {
    for (const char* url : {"", "https://www.palestretarvela.it", "https://www.palestretarvela.it.esempio.com/",
                            "http://www.palestretarvela.it/", "HTTPS://www.palestretarvela.it/",
                            "https://tarvela.localhost.esempio.com/", "https://tarvela.localhost",
                            "https://TARVELA.localhost/", "ABOUT:blank", "Data:text/plain,x", "BLOB:x",
                            "JavaScript:x", "mailto:info@palestretarvela.it", "tel:+390000000",
                            "file:///C:/Windows/", "tarvela://tarvela.localhost/", " https://tarvela.localhost/",
                            "https://www.google.com/maps?q=Sorvelo", "https://www.palestretarvela.it%2F"}) {
        EXPECT_FALSE(is_allowed_in_app(url, site)) << url;
    }
}

TEST(NavigationPolicy, SiteWithAPathKeepsOnlyThatFolder) {
    const std::string folder = "https://esempio.it/tarvela/";
    EXPECT_TRUE(is_allowed_in_app("https://esempio.it/tarvela/", folder));
    EXPECT_TRUE(is_allowed_in_app("https://esempio.it/tarvela/index.html", folder));
    EXPECT_FALSE(is_allowed_in_app("https://esempio.it/", folder));
    EXPECT_FALSE(is_allowed_in_app("https://esempio.it/altro/", folder));
    EXPECT_FALSE(is_allowed_in_app("https://esempio.it/tarvela", folder));
}

TEST(NavigationPolicy, AnEmptySiteUrlAllowsNothingExtra) {
    EXPECT_FALSE(is_allowed_in_app("https://esempio.it/", ""));
    EXPECT_TRUE(is_allowed_in_app("about:blank", ""));
}

TEST(NavigationDecision, CancelsAndOpensOutsideOnlyWhatMayNotStay) {
    std::vector<std::string> opened;
    const tarvela::NavigationDecision decide(site, [&](std::string_view url) { opened.emplace_back(url); });
    EXPECT_TRUE(decide("https://www.palestretarvela.it/#p-orari"));
    EXPECT_TRUE(decide("https://tarvela.localhost/index.html"));
    EXPECT_FALSE(decide("mailto:info@palestretarvela.it"));
    EXPECT_FALSE(decide("https://esempio.it/"));
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:info@palestretarvela.it", "https://esempio.it/"}));
}

TEST(MayOpenExternally, OnlyWebMailAndPhoneSchemesInAnyCase) {
    for (const char* url : {"https://esempio.it/", "http://esempio.it/", "HTTPS://esempio.it/", "Http://x",
                            "mailto:info@palestretarvela.it", "MAILTO:a@b.it", "tel:+390000000", "TEL:1"}) {
        EXPECT_TRUE(tarvela::may_open_externally(url)) << url;
    }
    for (const char* url : {"", "https", "file:///C:/Windows/System32/calc.exe", "ms-settings:display",
                            "search-ms:query=x", "tarvela://tarvela.localhost/", "httpsx://esempio.it/",
                            "xhttps://esempio.it/", " https://esempio.it/", "\\\\server\\share\\x.exe",
                            "C:\\Windows\\notepad.exe", "telnet://host", "mail:a@b.it", "//esempio.it/"}) {
        EXPECT_FALSE(tarvela::may_open_externally(url)) << url;
    }
}

TEST(NavigationDecision, DropsWhatNeitherStaysNorMayGoOut) {
    std::vector<std::string> opened;
    const tarvela::NavigationDecision navigate(site, [&](std::string_view url) { opened.emplace_back(url); });
    const tarvela::NewWindowDecision new_window(site, [&](std::string_view url) { opened.emplace_back(url); });
    for (const char* url : {"file:///C:/Windows/System32/calc.exe", "ms-settings:display", "ABOUT:blank"}) {
        EXPECT_FALSE(navigate(url)) << url;
        EXPECT_FALSE(new_window(url)) << url;
    }
    EXPECT_FALSE(new_window("HTTPS://esempio.it/"));
    EXPECT_EQ(opened, std::vector<std::string>{"HTTPS://esempio.it/"});
}

TEST(NewWindowDecision, NeverOpensAWindowAndSendsOutsideLinksOut) {
    std::vector<std::string> opened;
    const tarvela::NewWindowDecision decide(site, [&](std::string_view url) { opened.emplace_back(url); });
    EXPECT_FALSE(decide("https://www.palestretarvela.it/#p-corsi"));
    EXPECT_FALSE(decide("about:blank"));
    EXPECT_FALSE(decide("https://www.google.com/maps?q=Tavra"));
    EXPECT_FALSE(decide("tel:+390000000"));
    EXPECT_EQ(opened, (std::vector<std::string>{"https://www.google.com/maps?q=Tavra", "tel:+390000000"}));
}

}  // namespace
