// The WebView2 web view that fills the main window.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>
#include <variant>
#include <vector>
#include <wrl/client.h>

#include "navigation_policy.h"
#include "request_handler.h"
#include "resource_answer.h"
#include "settings.h"
#include "webview2_api.h"

namespace tarvela::win {

// What the web view hands to the rest of the app; each part owns its own copy of the site URL.
struct WebViewConsumers {
    LocalRequestHandler request_handler;
    NavigationDecision navigation_decision;
    NewWindowDecision new_window_decision;
};

class WebViewHost;

// How the runtime's event handlers reach the host: cleared when the host goes, so that an event
// raised later (one already queued, or one raised while an error box runs) touches nothing.
struct HostLink {
    WebViewHost* host;
};

// What the main window's hook needs to keep the web view sized, placed and focused.
struct HookState {
    HWND container;
    Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller;
};

// Creation failed with this code; the user must learn that the runtime is missing or unusable.
struct WebViewFailure {
    HRESULT code;
};
// The user closed the window while the web view was being created: nothing to report.
struct ClosedDuringCreation {};

using WebViewCreation = std::variant<std::unique_ptr<WebViewHost>, WebViewFailure, ClosedDuringCreation>;

// Creates the web view in the main window, wires it to the consumers and navigates to the start
// URL. Pumps the UI thread's messages while the runtime completes each step.
WebViewCreation create_web_view(HWND main_window, const AppSettings& settings, WebViewConsumers consumers);

class WebViewHost {
public:
    // Closes the web view, destroys its container and unhooks the main window.
    ~WebViewHost();
    WebViewHost(const WebViewHost&) = delete;
    WebViewHost& operator=(const WebViewHost&) = delete;

private:
    friend class WebViewBuilder;
    WebViewHost(HWND main_window, WebViewConsumers consumers);

    using Removal = HRESULT (STDMETHODCALLTYPE ICoreWebView2::*)(EventRegistrationToken);

    // Registers a handler and keeps its token, so that the host removes it when it goes.
    template <typename Handler>
    HRESULT add_handler(HRESULT (STDMETHODCALLTYPE ICoreWebView2::*add)(Handler*, EventRegistrationToken*),
                        Removal remove, const Microsoft::WRL::ComPtr<Handler>& handler);

    HRESULT on_navigation_starting(ICoreWebView2NavigationStartingEventArgs* args);
    HRESULT on_new_window_requested(ICoreWebView2NewWindowRequestedEventArgs* args);
    HRESULT on_resource_requested(ICoreWebView2WebResourceRequestedEventArgs* args);
    HRESULT answer_request(ICoreWebView2WebResourceRequestedEventArgs* args, const AnswerParts& parts);
    HRESULT set_answer(ICoreWebView2WebResourceRequestedEventArgs* args, const AnswerParts& parts);

    HWND main_window_;
    HWND container_ = nullptr;
    WebViewConsumers consumers_;
    Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment_;
    Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller_;
    Microsoft::WRL::ComPtr<ICoreWebView2> web_view_;
    std::unique_ptr<HookState> hook_;
    std::shared_ptr<HostLink> link_;
    std::vector<std::pair<Removal, EventRegistrationToken>> registrations_;
};

}  // namespace tarvela::win
