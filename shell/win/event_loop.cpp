#include "event_loop.h"

#include <windows.h>
#include <shellscalingapi.h>

#include "dark_mode.h"
#include "system_function.h"
#include "windows_version.h"

namespace tarvela::win {

namespace {

// Without a manifest, this call is what maps logical pixels to physical ones.
void declare_dpi_awareness() {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    using SetAwareness = HRESULT(WINAPI*)(PROCESS_DPI_AWARENESS);
    using SetAware = BOOL(WINAPI*)();
    if (auto set_context = system_function<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (!set_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
            set_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
        }
    } else if (auto set_awareness = system_function<SetAwareness>(L"shcore.dll", "SetProcessDpiAwareness")) {
        set_awareness(PROCESS_PER_MONITOR_DPI_AWARE);
    } else if (auto set_aware = system_function<SetAware>(L"user32.dll", "SetProcessDPIAware")) {
        set_aware();
    }
}

// The theme library exports these undocumented functions by number only.
// AllowDarkModeForApp(BOOL) until build 18361; the same number is SetPreferredAppMode(int) from 18362 on.
const char* const allow_for_app = MAKEINTRESOURCEA(135);
// RefreshImmersiveColorPolicyState(): the theme library reads the choice made above again, so that
// the windows created after it follow it without waiting for a change of the system's colours.
const char* const refresh_immersive_color_policy_state = MAKEINTRESOURCEA(104);

void allow_dark_mode() {
    const WindowsVersion version = windows_version();
    const DarkModePermission permission = dark_mode_permission_for(version.major, version.build);
    if (permission == DarkModePermission::none) return;
    if (permission == DarkModePermission::allow_dark_mode_for_app) {
        if (auto allow = system_function<BOOL(WINAPI*)(BOOL)>(L"uxtheme.dll", allow_for_app)) allow(TRUE);
    } else {
        constexpr int allow_dark = 1;
        if (auto prefer = system_function<int(WINAPI*)(int)>(L"uxtheme.dll", allow_for_app)) prefer(allow_dark);
    }
    if (auto refresh = system_function<void(WINAPI*)()>(L"uxtheme.dll", refresh_immersive_color_policy_state))
        refresh();
}

}  // namespace

void prepare_event_loop() {
    declare_dpi_awareness();
    allow_dark_mode();
}

void run_event_loop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace tarvela::win
