#include "platform_services.h"

#include <windows.h>
#include <shellapi.h>

#include "settings.h"
#include "win_text.h"

namespace tarvela::win {

std::optional<std::u16string> environment_variable(std::string_view name) {
    const std::wstring wide_name = wide_from_utf8(name);
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (size == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::u16string();
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(wide_name.c_str(), value.data(), size));
    return std::u16string(value.begin(), value.end());
}

void show_error_box(std::string_view text) {
    MessageBoxW(nullptr, wide_from_utf8(text).c_str(), wide_from_utf8(app_name).c_str(), MB_OK | MB_ICONERROR);
}

void open_externally(std::string_view url) {
    ShellExecuteW(nullptr, L"open", wide_from_utf8(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tarvela::win
