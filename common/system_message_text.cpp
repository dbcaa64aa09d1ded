#include "system_message_text.h"

namespace tarvela {

namespace {

template <typename Char>
std::basic_string<Char> readable(std::basic_string_view<Char> message) {
    const auto blank = [](Char c) { return c == Char('\r') || c == Char('\n') || c == Char(' ') || c == Char('\t'); };
    while (!message.empty() && blank(message.back())) message.remove_suffix(1);
    if (message.empty()) return std::basic_string<Char>(unknown_error_text.begin(), unknown_error_text.end());
    return std::basic_string<Char>(message);
}

}  // namespace

std::string readable_system_message(std::string_view message) { return readable(message); }
std::wstring readable_system_message(std::wstring_view message) { return readable(message); }

}  // namespace tarvela
