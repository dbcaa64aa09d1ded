// TarvelaSorveloApp.exe: settings, main window, web view, then the event loop. Exits with 0 on
// every path; each failure the user must know about is one error box.
#include <windows.h>

#include "error_text.h"
#include "event_loop.h"
#include "main_window.h"
#include "platform_services.h"
#include "settings.h"
#include "webview_host.h"
#include "win_text.h"

using namespace tarvela;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Libraries loaded on demand come from System32 only, never from the current folder or the
    // install folder (the loader beside the app is imported when the process starts).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const AppSettings settings = load_settings(win::environment_utf16);
    win::prepare_event_loop();

    const auto window = win::create_main_window(settings.off_screen);
    if (const auto* detail = std::get_if<std::string>(&window)) {
        win::show_error_box(window_error_text(*detail));
        return 0;
    }

    auto creation = win::create_web_view(
        std::get<HWND>(window), settings,
        win::WebViewConsumers{LocalRequestHandler(settings.site_url),
                              NavigationDecision(settings.site_url, win::open_externally),
                              NewWindowDecision(settings.site_url, win::open_externally)});
    if (const auto* failure = std::get_if<win::WebViewFailure>(&creation)) {
        const auto code = static_cast<std::uint32_t>(failure->code);
        win::show_error_box(web_view_error_text(web_view_failure_detail(win::system_message(code), code)));
        return 0;
    }
    if (std::holds_alternative<win::ClosedDuringCreation>(creation)) return 0;

    win::run_event_loop();
    std::get<std::unique_ptr<win::WebViewHost>>(creation).reset();
    return 0;
}
