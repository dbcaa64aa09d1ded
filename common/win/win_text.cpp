#include "win_text.h"

#include <objbase.h>

#include "system_message_text.h"
#include "utf8.h"

namespace tarvela::win {

std::wstring wide_from_utf8(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::optional<std::string> utf8_from_wide(std::wstring_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return utf8_from_utf16(std::u16string(text.begin(), text.end()));
}

std::wstring system_message_wide(std::uint32_t code) {
    LPWSTR buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring_view message;
    if (length != 0 && buffer) message = std::wstring_view(buffer, length);
    std::wstring readable = readable_system_message(message);
    if (buffer) LocalFree(buffer);
    return readable;
}

std::string system_message(std::uint32_t code) {
    return utf8_from_wide(system_message_wide(code)).value_or(std::string(unknown_error_text));
}

std::optional<std::string> take_task_memory_text(LPWSTR text) {
    if (!text) return std::string();
    auto result = utf8_from_wide(text);
    CoTaskMemFree(text);
    return result;
}

}  // namespace tarvela::win
