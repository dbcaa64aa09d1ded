#include "win_text.h"

#include <objbase.h>

#include "host_text.h"

namespace tarvela::win {

std::wstring wide_from_utf8(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::optional<std::string> utf8_from_wide(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size == 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::string system_message(std::uint32_t code) {
    LPWSTR buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::string message;
    if (length != 0 && buffer) message = utf8_from_wide(std::wstring_view(buffer, length)).value_or("");
    if (buffer) LocalFree(buffer);
    message = std::string(trim_system_message(message));
    return message.empty() ? "errore sconosciuto" : message;
}

std::optional<std::string> take_task_memory_text(LPWSTR text) {
    if (!text) return std::string();
    auto result = utf8_from_wide(text);
    CoTaskMemFree(text);
    return result;
}

}  // namespace tarvela::win
