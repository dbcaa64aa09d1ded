// UTF-8 and UTF-16 at the edge of the Windows API, and the system's texts for error codes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvela::win {

// Invalid UTF-8 becomes U+FFFD, as the system converts it; our own texts are valid UTF-8.
std::wstring wide_from_utf8(std::string_view text);

// Nothing when the text holds an unpaired surrogate (the rule of utf8_from_utf16).
std::optional<std::string> utf8_from_wide(std::wstring_view text);

// The system's message for a Win32 error code or an HRESULT, made readable
// (readable_system_message): in UTF-16, and as UTF-8.
std::wstring system_message_wide(std::uint32_t code);
std::string system_message(std::uint32_t code);

// A string the runtime allocated with CoTaskMemAlloc, as UTF-8; the memory is freed.
std::optional<std::string> take_task_memory_text(LPWSTR text);

}  // namespace tarvela::win
