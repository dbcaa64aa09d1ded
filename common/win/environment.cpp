#include "environment.h"

#include <windows.h>

namespace tarvela::win {

std::optional<std::wstring> environment_variable(const wchar_t* name) {
    std::wstring value(64, L'\0');
    // The value may grow between the call that sizes it and the one that reads it.
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

}  // namespace tarvela::win
