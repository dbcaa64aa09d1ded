// From request URL to bundle name: path extraction, leading slashes, percent decoding, UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "request_handler.h"

namespace {

using tarvela::bundle_name_for_url;

struct Case {
    const char* url;
    std::string name;
};

void expect_names(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(bundle_name_for_url(c.url), c.name) << "url: " << c.url;
}

TEST(RequestPath, TakesThePathOfAbsoluteUrlsAndBareTargets) {
    expect_names({
        {"https://tarvela.localhost/index.html", "index.html"},
        {"https://tarvela.localhost/foto/tavra-sala.jpg", "foto/tavra-sala.jpg"},
        {"tarvela://tarvela.localhost/sw.js", "sw.js"},
        {"http://user@127.0.0.1:8080/manifest.json", "manifest.json"},
        {"/logo.png", "logo.png"},
    });
}

TEST(RequestPath, NoPathOrRootMeansIndex) {
    expect_names({
        {"https://tarvela.localhost", "index.html"},
        {"https://tarvela.localhost/", "index.html"},
        {"https://tarvela.localhost?x=1", "index.html"},
        {"https://tarvela.localhost#home", "index.html"},
        {"/", "index.html"},
        {"", "index.html"},
    });
}

TEST(RequestPath, QueryAndFragmentAreDropped) {
    expect_names({
        {"https://tarvela.localhost/icon-192.png?v=1733731200123", "icon-192.png"},
        {"/a.html#p-corsi", "a.html"},
        {"/a.html?x#y", "a.html"},
        {"/a.html#y?x", "a.html"},
        {"/a%3Fb.html", "a?b.html"},
    });
}

TEST(RequestPath, EveryLeadingSlashGoesButAnEncodedOneStays) {
    expect_names({
        {"//index.html", "index.html"},
        {"https://tarvela.localhost///avvio.html", "avvio.html"},
        {"/%2Findex.html", "/index.html"},
        {"/%2f", "/index.html"},
        {"/foto%2Ftavra-sala.jpg", "foto/tavra-sala.jpg"},
    });
}

TEST(RequestPath, PercentDecodingIsOnePassAndLenient) {
    expect_names({
        {"/index%2Ehtml", "index.html"},
        {"/index%2ehtml", "index.html"},
        {"/%69%6E%64%65%78.html", "index.html"},
        {"/%6e%6E.js", "nn.js"},
        {"/%zz.html", "%zz.html"},
        {"/%4", "%4"},
        {"/50%", "50%"},
        {"/a%4g", "a%4g"},
        {"/%%41", "%A"},
        {"/%2541", "%41"},
        {"/a+b%20c", "a+b c"},
    });
}

TEST(RequestPath, DirectoriesAndDotSegmentsAreNotResolved) {
    expect_names({
        {"/foto/", "foto/index.html"},
        {"/foglio/", "foglio/index.html"},
        {"/avvio.html/", "avvio.html/index.html"},
        {"/foto/../index.html", "foto/../index.html"},
        {"/./index.html", "./index.html"},
        {"/foto\\tavra-sala.jpg", "foto\\tavra-sala.jpg"},
    });
}

TEST(RequestPath, DecodedBytesAreReadAsUtf8WithReplacement) {
    const std::string fffd = "\xEF\xBF\xBD";
    expect_names({
        {"/caff%C3%A8.html", "caff\xC3\xA8.html"},
        {"/%F0%9F%8F%8B", "\xF0\x9F\x8F\x8B"},
        {"/%FF.html", fffd + ".html"},
        {"/%E2%82.html", fffd + ".html"},
        {"/%C0%AF", fffd + fffd},
        {"/%ED%A0%80", fffd + fffd + fffd},
        {"/%F4%90%80%80", fffd + fffd + fffd + fffd},
        {"/%E0%80%80", fffd + fffd + fffd},
        {"/%C3", fffd},
        {"/%C3%C3%A8", fffd + "\xC3\xA8"},
    });
}

}  // namespace
