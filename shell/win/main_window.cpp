#include "main_window.h"

#include <dwmapi.h>
#include <ole2.h>

#include <cstdint>

#include "dark_mode.h"
#include "dpi.h"
#include "error_text.h"
#include "settings.h"
#include "system_function.h"
#include "win_text.h"
#include "window_icon_bits.h"
#include "windows_version.h"

extern "C" const std::uint8_t tarvela_window_icon_rgba[];
extern "C" const std::uint8_t tarvela_window_icon_rgba_end[];

namespace tarvela::win {

namespace {

constexpr DWORD window_style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr DWORD window_ex_style = WS_EX_WINDOWEDGE | WS_EX_APPWINDOW;

// The DwmSetWindowAttribute switch for a dark caption (DWMWA_USE_IMMERSIVE_DARK_MODE, which the
// cross-building headers lack). Builds 17763 to 18985 took the same switch, undocumented, as 19.
constexpr DWORD use_immersive_dark_mode = 20;
constexpr DWORD use_immersive_dark_mode_before_18986 = 19;

// The DPI calls that older systems lack, looked up once: the window asks for its limits often.
struct DpiFunctions {
    UINT(WINAPI* for_window)(HWND) = nullptr;
    HRESULT(WINAPI* for_monitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    BOOL(WINAPI* adjust_for_dpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
};

const DpiFunctions& dpi_functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions found;
        found.for_window = system_function<decltype(found.for_window)>(L"user32.dll", "GetDpiForWindow");
        found.for_monitor = system_function<decltype(found.for_monitor)>(L"shcore.dll", "GetDpiForMonitor");
        found.adjust_for_dpi =
            system_function<decltype(found.adjust_for_dpi)>(L"user32.dll", "AdjustWindowRectExForDpi");
        return found;
    }();
    return functions;
}

UINT monitor_dpi(HMONITOR monitor) {
    UINT x = 0, y = 0;
    if (const auto get_dpi = dpi_functions().for_monitor; get_dpi && SUCCEEDED(get_dpi(monitor, 0, &x, &y)) && x != 0) {
        return x;
    }
    return USER_DEFAULT_SCREEN_DPI;
}

UINT window_dpi(HWND window) {
    if (const auto get_dpi = dpi_functions().for_window) {
        if (const UINT dpi = get_dpi(window)) return dpi;
    }
    return monitor_dpi(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

// Outer size of a window of our style whose client area has the given physical size.
SIZE outer_size(int client_w, int client_h, UINT dpi) {
    RECT rect{0, 0, client_w, client_h};
    if (const auto adjust = dpi_functions().adjust_for_dpi) {
        adjust(&rect, window_style, FALSE, window_ex_style, dpi);
    } else {
        AdjustWindowRectEx(&rect, window_style, FALSE, window_ex_style);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CLOSE:
            // Ends the loop; the window itself goes with the process.
            PostQuitMessage(0);
            return 0;
        case WM_GETMINMAXINFO: {
            const UINT dpi = window_dpi(window);
            const SIZE minimum = outer_size(physical_from_logical(minimum_client_width, dpi),
                                            physical_from_logical(minimum_client_height, dpi), dpi);
            reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {minimum.cx, minimum.cy};
            return 0;
        }
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

void apply_dark_caption(HWND window) {
    const WindowsVersion version = windows_version();
    const BOOL dark = TRUE;
    switch (dark_caption_for(version.major, version.build)) {
        case DarkCaption::dwm_attribute_20:
            DwmSetWindowAttribute(window, use_immersive_dark_mode, &dark, sizeof dark);
            break;
        case DarkCaption::dwm_attribute_19:
            DwmSetWindowAttribute(window, use_immersive_dark_mode_before_18986, &dark, sizeof dark);
            break;
        case DarkCaption::window_property:
            SetPropW(window, L"UseImmersiveDarkModeColors", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(TRUE)));
            break;
        case DarkCaption::none:
            break;
    }
}

// The compiled-in RGBA image as an icon; transparency comes from its alpha channel.
HICON create_window_icon() {
    const IconBits bits = window_icon_bits({tarvela_window_icon_rgba, tarvela_window_icon_rgba_end});
    if (bits.colour.empty()) return nullptr;
    return CreateIcon(nullptr, window_icon_side, window_icon_side, 1, 32, bits.and_mask.data(), bits.colour.data());
}

void bring_to_foreground(HWND window) {
    if (SetForegroundWindow(window)) return;
    // The system lets a process that just received input take the foreground.
    INPUT alt[2] = {};
    alt[0].type = INPUT_KEYBOARD;
    alt[0].ki.wVk = VK_MENU;
    alt[1] = alt[0];
    alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, alt, sizeof(INPUT));
    SetForegroundWindow(window);
}

// Drops on the window are accepted by the system and then ignored.
class IgnoringDropTarget final : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
};

std::string failure(std::string_view operation) {
    const DWORD error = GetLastError();
    return window_failure_detail(operation, system_message(error), error);
}

}  // namespace

std::variant<HWND, std::string> create_main_window(bool off_screen) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = main_window_class;
    if (!RegisterClassExW(&window_class)) return failure("RegisterClassExW");

    const POINT requested{off_screen_position, off_screen_position};
    HMONITOR monitor = off_screen ? MonitorFromPoint(requested, MONITOR_DEFAULTTONULL) : nullptr;
    if (!monitor) monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const UINT dpi = monitor_dpi(monitor);
    const SIZE size = outer_size(physical_from_logical(client_width, dpi), physical_from_logical(client_height, dpi), dpi);
    const int x = off_screen ? physical_from_logical(off_screen_position, dpi) : CW_USEDEFAULT;
    const int y = off_screen ? physical_from_logical(off_screen_position, dpi) : CW_USEDEFAULT;

    const HWND window = CreateWindowExW(window_ex_style, main_window_class, wide_from_utf8(app_name).c_str(),
                                        window_style, x, y, size.cx, size.cy, nullptr, nullptr, instance, nullptr);
    if (!window || !IsWindow(window)) return failure("CreateWindowExW");

    apply_dark_caption(window);
    if (const HICON icon = create_window_icon()) {
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    SendMessageW(window, WM_SETICON, ICON_BIG, 0);

    ShowWindow(window, SW_SHOWNORMAL);
    bring_to_foreground(window);

    OleInitialize(nullptr);
    static IgnoringDropTarget drop_target;
    RegisterDragDrop(window, &drop_target);
    return window;
}

}  // namespace tarvela::win
