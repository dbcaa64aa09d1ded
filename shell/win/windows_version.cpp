#include "windows_version.h"

#include <windows.h>

#include "system_function.h"

namespace tarvela::win {

WindowsVersion windows_version() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto get_version = system_function<RtlGetVersionFunction>(L"ntdll.dll", "RtlGetVersion");
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!get_version || get_version(&info) != 0) return {};
    return {info.dwMajorVersion, info.dwBuildNumber};
}

}  // namespace tarvela::win
