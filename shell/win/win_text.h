// UTF-8 and UTF-16 at the edge of the Windows API, and the system's texts for error codes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvela::win {

std::wstring wide_from_utf8(std::string_view text);

// Nothing when the text holds an unpaired surrogate.
std::optional<std::string> utf8_from_wide(std::wstring_view text);

// The system's message for a Win32 error code or an HRESULT, as UTF-8.
std::string system_message(std::uint32_t code);

// A string the runtime allocated with CoTaskMemAlloc, as UTF-8; the memory is freed.
std::optional<std::string> take_task_memory_text(LPWSTR text);

}  // namespace tarvela::win
