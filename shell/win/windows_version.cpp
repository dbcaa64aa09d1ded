#include "windows_version.h"

#include <windows.h>

namespace tarvela::win {

WindowsVersion windows_version() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto get_version = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!get_version || get_version(&info) != 0) return {};
    return {info.dwMajorVersion, info.dwBuildNumber};
}

}  // namespace tarvela::win
