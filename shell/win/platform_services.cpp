#include "platform_services.h"

#include <windows.h>
#include <shellapi.h>

#include "environment.h"
#include "settings.h"
#include "win_text.h"

namespace tarvela::win {

std::optional<std::u16string> environment_utf16(std::string_view name) {
    const auto value = environment_variable(wide_from_utf8(name).c_str());
    if (!value) return std::nullopt;
    return std::u16string(value->begin(), value->end());
}

void show_error_box(std::string_view text) {
    MessageBoxW(nullptr, wide_from_utf8(text).c_str(), wide_from_utf8(app_name).c_str(), MB_OK | MB_ICONERROR);
}

void open_externally(std::string_view url) {
    ShellExecuteW(nullptr, L"open", wide_from_utf8(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tarvela::win
