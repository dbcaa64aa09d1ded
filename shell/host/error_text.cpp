#include "error_text.h"

#include <cstdio>

#include "system_message_text.h"

namespace tarvela {

std::string window_error_text(std::string_view detail) {
    std::string text = "Non riesco ad aprire la finestra dell'app.\n\n";
    text.append(detail);
    return text;
}

std::string web_view_error_text(std::string_view detail) {
    std::string text =
        "Per aprire l'app serve \u00abMicrosoft Edge WebView2\u00bb, che di solito c'e' gia' in Windows.\n"
        "Si scarica gratis dal sito di Microsoft (cerca \u00abWebView2 Runtime\u00bb).\n\n"
        "Dettaglio: ";
    text.append(detail);
    return text;
}

std::string web_view_failure_detail(std::string_view system_message, std::uint32_t hresult) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hresult));
    std::string text = "WebView2 error: ";
    text += readable_system_message(system_message);
    text += " (";
    text += code;
    text += ')';
    return text;
}

std::string window_failure_detail(std::string_view operation, std::string_view system_message,
                                  std::uint32_t error_code) {
    std::string text(operation);
    text += ": ";
    text += readable_system_message(system_message);
    text += " (os error ";
    text += std::to_string(error_code);
    text += ')';
    return text;
}

}  // namespace tarvela
