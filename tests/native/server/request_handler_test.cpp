// Whole answers of the local origin: status, headers in order, body and who owns it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content_type.h"
#include "request_handler.h"
#include "site_bundle.h"
#include "startup_page.h"

namespace {

using tarvela::Header;
using tarvela::LocalRequest;
using tarvela::LocalRequestHandler;
using tarvela::LocalResponse;

const std::string site_url = "https://www.palestretarvela.it/";

LocalResponse get(const std::string& url, const std::string& method = "GET") {
    return LocalRequestHandler(site_url).handle(LocalRequest{method, url});
}

std::string text_of(const LocalResponse& response) {
    const auto bytes = response.body.bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void expect_not_found(const std::string& url) {
    const LocalResponse response = get(url);
    EXPECT_EQ(response.status, 404) << url;
    EXPECT_EQ(response.headers, (std::vector<Header>{{"content-type", "text/plain; charset=utf-8"}})) << url;
    EXPECT_EQ(text_of(response), "non trovato") << url;
    EXPECT_FALSE(response.body.is_owned());
}

void expect_startup_page(const std::string& url) {
    const LocalResponse response = get(url);
    EXPECT_EQ(response.status, 200) << url;
    EXPECT_EQ(response.headers, (std::vector<Header>{{"content-type", "text/html; charset=utf-8"},
                                                     {"cache-control", "no-store"}}))
        << url;
    EXPECT_EQ(text_of(response), tarvela::render_startup_page(site_url)) << url;
    EXPECT_TRUE(response.body.is_owned());
}

TEST(RequestHandler, EveryBundleFileIsServedByReferenceWithItsType) {
    for (const tarvela::BundleEntry& entry : tarvela::site_bundle()) {
        const std::string url = "https://tarvela.localhost/" + std::string(entry.name());
        const LocalResponse response = get(url);
        ASSERT_EQ(response.status, 200) << url;
        EXPECT_EQ(response.headers, (std::vector<Header>{{"content-type", tarvela::content_type_for(entry.name())},
                                                         {"cache-control", "no-cache"}}))
            << url;
        EXPECT_FALSE(response.body.is_owned());
        EXPECT_EQ(response.body.bytes().data(), entry.content().data()) << url;
        EXPECT_EQ(response.body.bytes().size(), entry.content().size()) << url;
    }
}

TEST(RequestHandler, RootAndDecodedNamesServeIndex) {
    const auto* index = tarvela::find_in_bundle("index.html");
    ASSERT_NE(index, nullptr);
    for (const char* url : {"https://tarvela.localhost", "https://tarvela.localhost/", "/", "//index.html",
                            "/index%2Ehtml", "/index%2ehtml", "/index.html?v=1733731200123", "/#p-scheda"}) {
        const LocalResponse response = get(url);
        EXPECT_EQ(response.status, 200) << url;
        EXPECT_EQ(response.headers[0], (Header{"content-type", "text/html; charset=utf-8"})) << url;
        EXPECT_EQ(response.headers[1], (Header{"cache-control", "no-cache"})) << url;
        EXPECT_EQ(response.body.bytes().data(), index->content().data()) << url;
    }
}

TEST(RequestHandler, MethodIsIgnored) {
    const auto* index = tarvela::find_in_bundle("index.html");
    ASSERT_NE(index, nullptr);
    for (const char* method : {"POST", "HEAD", "PUT", "DELETE", "OPTIONS", ""}) {
        const LocalResponse response = get("/index.html", method);
        EXPECT_EQ(response.status, 200) << method;
        EXPECT_EQ(response.body.bytes().size(), index->content().size()) << method;
    }
    EXPECT_EQ(get("/nulla", "POST").status, 404);
    EXPECT_EQ(text_of(get("/avvio.html", "HEAD")), tarvela::render_startup_page(site_url));
}

TEST(RequestHandler, StartupPageIsRenderedWithTheSiteUrl) {
    expect_startup_page("https://tarvela.localhost/avvio.html");
    expect_startup_page("//avvio.html");
    expect_startup_page("/avvio%2Ehtml?v=2");
    EXPECT_NE(text_of(get("/avvio.html")).find(site_url), std::string::npos);
}

TEST(RequestHandler, EverythingElseIsNotFoundWithOneHeader) {
    for (const char* url : {"/AVVIO.html", "/avvio.html/", "/foto/", "/foglio/", "/app/TarvelaSorvelo.exe",
                            "/app/", "/%2Findex.html", "/%zz.html", "/%4", "/50%", "/foto/../index.html",
                            "/./index.html", "/INDEX.HTML", "/index.html%00", "/%FF", "/index.html/"}) {
        expect_not_found(url);
    }
}

TEST(RequestHandler, EachRequestRendersAFreshStartupPage) {
    const LocalRequestHandler handler(site_url);
    const LocalResponse first = handler.handle({"GET", "/avvio.html"});
    const LocalResponse second = handler.handle({"GET", "/avvio.html"});
    EXPECT_NE(first.body.bytes().data(), second.body.bytes().data());
    EXPECT_EQ(text_of(first), text_of(second));
}

}  // namespace
