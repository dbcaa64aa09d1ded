#include "error_text.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

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

}  // namespace
}  // namespace tarvela
