// How a system's message for an error code is shown: the one rule for every program.
#pragma once

#include <string>
#include <string_view>

namespace tarvela {

// Shown when the system has no message for a code; the code itself is always shown beside it.
inline constexpr std::string_view unknown_error_text = "errore sconosciuto";

// The message without the line breaks, spaces and tabs the system ends it with; the
// unknown-error text when nothing is left.
std::string readable_system_message(std::string_view message);
std::wstring readable_system_message(std::wstring_view message);

}  // namespace tarvela
