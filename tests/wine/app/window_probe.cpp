// Test helper run inside Wine next to the app: reports the main window's properties, then the
// error box's text and buttons, and dismisses the box with OK. Prints key=value lines (UTF-8).
#include <windows.h>

#include <cstdint>
#include <string>

namespace {

void print(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

HWND wait_for(const wchar_t* window_class, const wchar_t* title) {
    for (int i = 0; i < 600; ++i) {
        if (HWND found = FindWindowW(window_class, title)) return found;
        Sleep(50);
    }
    return nullptr;
}

BOOL CALLBACK report_child(HWND child, LPARAM) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(name, L"Button") == 0 && (style & WS_VISIBLE)) {
        wchar_t text[64] = {};
        GetWindowTextW(child, text, 64);
        print("box_button=" + std::to_string(GetDlgCtrlID(child)) + ":" + utf8(text));
    }
    if (lstrcmpiW(name, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE)) {
        print(std::string("box_icon=") + (SendMessageW(child, STM_GETICON, 0, 0) ? "yes" : "no"));
    }
    return TRUE;
}

}  // namespace

int wmain() {
    // Sizes are compared in physical pixels, as the app sees them.
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
    // The system's own version, which decides how the app makes its caption dark.
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    const auto get_version = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (get_version && get_version(&version) == 0) {
        print("os_version=" + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwBuildNumber));
    }
    const HWND window = wait_for(L"Window Class", L"Tarvela Sorvelo");
    if (!window) {
        print("window=missing");
        return 1;
    }
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    print("window=found");
    print("handle=" + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    print("client=" + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    print("outer_origin=" + std::to_string(outer.left) + "," + std::to_string(outer.top));
    MINMAXINFO limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const int frame_w = (outer.right - outer.left) - client.right;
    const int frame_h = (outer.bottom - outer.top) - client.bottom;
    print("min_client=" + std::to_string(limits.ptMinTrackSize.x - frame_w) + "x" +
          std::to_string(limits.ptMinTrackSize.y - frame_h));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    print(std::string("overlapped_frame=") +
          ((style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW ? "yes" : "no"));
    print(std::string("visible=") + (IsWindowVisible(window) ? "yes" : "no"));
    print(std::string("maximized=") + (IsZoomed(window) ? "yes" : "no"));
    wchar_t class_name[64] = {};
    GetClassNameW(window, class_name, 64);
    print("class=" + utf8(class_name));
    print(std::string("class_icon=") + (GetClassLongPtrW(window, GCLP_HICON) ? "yes" : "no"));
    print(std::string("class_brush=") + (GetClassLongPtrW(window, GCLP_HBRBACKGROUND) ? "yes" : "no"));

    const HWND box = wait_for(L"#32770", L"Tarvela Sorvelo");
    if (!box) {
        print("box=missing");
        return 1;
    }
    print("box=found");
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    print("box_text=" + escaped(utf8(text)));
    print(std::string("box_owner=") + (GetWindow(box, GW_OWNER) ? "yes" : "no"));
    EnumChildWindows(box, report_child, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}
