// The app's few direct uses of the system: environment, error box, opening a URL elsewhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvela::win {

// An environment variable's UTF-16 code units exactly as the process holds them.
std::optional<std::u16string> environment_utf16(std::string_view name);

// Modal, no owner, caption "Tarvela Sorvelo", MB_OK | MB_ICONERROR; returns once dismissed.
void show_error_box(std::string_view text);

// Hands a URL to the system's default handler; failures are dropped.
void open_externally(std::string_view url);

}  // namespace tarvela::win
