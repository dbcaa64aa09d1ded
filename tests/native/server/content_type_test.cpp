#include <gtest/gtest.h>

#include "content_type.h"

namespace {

using tarvela::content_type_for;

TEST(ContentType, TypesOfTheSiteFiles) {
    EXPECT_EQ(content_type_for("index.html"), "text/html; charset=utf-8");
    EXPECT_EQ(content_type_for("foglio/stilaro_wasm.js"), "text/javascript; charset=utf-8");
    EXPECT_EQ(content_type_for("manifest.json"), "application/json; charset=utf-8");
    EXPECT_EQ(content_type_for("icon-192.png"), "image/png");
    EXPECT_EQ(content_type_for("foto/grandi/tavra-sala.jpg"), "image/jpeg");
}

TEST(ContentType, ExtensionIsTheTextAfterTheLastDot) {
    EXPECT_EQ(content_type_for("archivio.json.png"), "image/png");
    EXPECT_EQ(content_type_for("cartella.js/file"), "application/octet-stream");
    EXPECT_EQ(content_type_for("html"), "text/html; charset=utf-8");  // no dot: the whole name
    EXPECT_EQ(content_type_for("index."), "application/octet-stream");
    EXPECT_EQ(content_type_for(""), "application/octet-stream");
    EXPECT_EQ(content_type_for("a.txt"), "application/octet-stream");
    EXPECT_EQ(content_type_for("a.jsx"), "application/octet-stream");
}

TEST(ContentType, OnlyAsciiLettersAreLowerCased) {
    EXPECT_EQ(content_type_for("FOTO.JPG"), "image/jpeg");
    EXPECT_EQ(content_type_for("Pagina.HtMl"), "text/html; charset=utf-8");
    EXPECT_EQ(content_type_for("a.WOFF2"), "font/woff2");
    EXPECT_EQ(content_type_for("a.j\xC5\x9B"), "application/octet-stream");
}

}  // namespace
