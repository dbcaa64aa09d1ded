#include "webview_host.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <memory>

#include "bridge_script.h"
#include "colours.h"
#include "com_callback.h"
#include "environment_options.h"
#include "local_scheme.h"
#include "resource_answer.h"
#include "win_text.h"

using Microsoft::WRL::ComPtr;

namespace tarvela::win {

namespace {

using EnvironmentCompleted = ComCallback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
                                         IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, HRESULT,
                                         ICoreWebView2Environment*>;
using ControllerCompleted = ComCallback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
                                        IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, HRESULT,
                                        ICoreWebView2Controller*>;
using ScriptAdded = ComCallback<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler,
                                IID_ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler, HRESULT,
                                LPCWSTR>;
using ScriptExecuted = ComCallback<ICoreWebView2ExecuteScriptCompletedHandler,
                                   IID_ICoreWebView2ExecuteScriptCompletedHandler, HRESULT, LPCWSTR>;
using NavigationStarting = ComCallback<ICoreWebView2NavigationStartingEventHandler,
                                       IID_ICoreWebView2NavigationStartingEventHandler, ICoreWebView2*,
                                       ICoreWebView2NavigationStartingEventArgs*>;
using NewWindowRequested = ComCallback<ICoreWebView2NewWindowRequestedEventHandler,
                                       IID_ICoreWebView2NewWindowRequestedEventHandler, ICoreWebView2*,
                                       ICoreWebView2NewWindowRequestedEventArgs*>;
using ContentLoading = ComCallback<ICoreWebView2ContentLoadingEventHandler, IID_ICoreWebView2ContentLoadingEventHandler,
                                   ICoreWebView2*, ICoreWebView2ContentLoadingEventArgs*>;
using WindowCloseRequested = ComCallback<ICoreWebView2WindowCloseRequestedEventHandler,
                                         IID_ICoreWebView2WindowCloseRequestedEventHandler, ICoreWebView2*, IUnknown*>;
using WebMessageReceived = ComCallback<ICoreWebView2WebMessageReceivedEventHandler,
                                       IID_ICoreWebView2WebMessageReceivedEventHandler, ICoreWebView2*,
                                       ICoreWebView2WebMessageReceivedEventArgs*>;
using WebResourceRequested = ComCallback<ICoreWebView2WebResourceRequestedEventHandler,
                                         IID_ICoreWebView2WebResourceRequestedEventHandler, ICoreWebView2*,
                                         ICoreWebView2WebResourceRequestedEventArgs*>;

constexpr wchar_t container_class[] = L"WRY_WEBVIEW";
constexpr UINT_PTR hook_id = 1;

// Where one asynchronous creation step stands. Shared by the wait and the completion handler:
// a completion that arrives after the wait gave up finds it cancelled and touches nothing else.
template <typename Made>
struct Completion {
    bool done = false;
    bool cancelled = false;
    HRESULT result = E_FAIL;
    ComPtr<Made> made;

    void complete(HRESULT step_result, Made* object) {
        if (cancelled) return;
        made = object;
        result = SUCCEEDED(step_result) && !object ? E_POINTER : step_result;
        done = true;
    }
};

enum class Wait { completed, quit };

// Pumps the UI thread's queue until the step completes. A quit message (the user closed the
// window) ends the wait; it is posted again so the app's own loop sees it too.
Wait pump_until_done(const bool& done) {
    MSG message;
    while (!done) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return Wait::quit;
        }
        if (got == -1) return Wait::quit;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return Wait::completed;
}

HRESULT last_error() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

RECT client_rect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

// The container and the web view cover the main window's client area.
HRESULT fit_to_client(HWND main_window, const HookState& state) {
    const RECT client = client_rect(main_window);
    SetWindowPos(state.container, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    return state.controller ? state.controller->put_Bounds(client) : S_OK;
}

LRESULT CALLBACK main_window_hook(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                  DWORD_PTR data) {
    auto* state = reinterpret_cast<HookState*>(data);
    switch (message) {
        case WM_SIZE:
            if (wparam != SIZE_MINIMIZED) fit_to_client(window, *state);
            break;
        case WM_SETFOCUS:
        case WM_ENTERSIZEMOVE:
            if (state->controller) state->controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
            break;
        case WM_WINDOWPOSCHANGED:
            if (state->controller) state->controller->NotifyParentWindowPositionChanged();
            break;
        case WM_NCDESTROY:
            state->controller.Reset();
            RemoveWindowSubclass(window, main_window_hook, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace

// Runs the creation steps in their order; any failure ends the creation.
class WebViewBuilder {
public:
    WebViewBuilder(HWND main_window, const AppSettings& settings, WebViewConsumers consumers)
        : settings_(settings), host_(new WebViewHost(main_window, std::move(consumers))) {}

    WebViewCreation build() {
        HRESULT result = S_OK;
        auto step = [&](HRESULT step_result) {
            result = step_result;
            return SUCCEEDED(result) && !closed_;
        };
        if (step(create_container()) && step(create_environment()) && step(create_controller()) &&
            step(host_->controller_->get_CoreWebView2(&host_->web_view_)) && step(set_background()) &&
            step(apply_settings()) && step(register_handlers()) && step(add_bridge_script()) &&
            step(add_request_routing()) && step(host_->web_view_->Navigate(wide_from_utf8(start_url).c_str())) &&
            step(hook_main_window()) && step(fit_to_client(host_->main_window_, *host_->hook_)) &&
            step(host_->controller_->put_IsVisible(TRUE)) &&
            step(host_->controller_->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC))) {
            return std::move(host_);
        }
        if (closed_) return ClosedDuringCreation{};
        return WebViewFailure{result};
    }

private:
    HRESULT create_container() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.style = CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = container_class;
        // One container per process: a class left from an earlier one is fine.
        if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return last_error();

        const RECT client = client_rect(host_->main_window_);
        host_->container_ = CreateWindowExW(0, container_class, L"", WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                                            client.right, client.bottom, host_->main_window_, nullptr,
                                            GetModuleHandleW(nullptr), nullptr);
        if (!host_->container_) return last_error();
        SetWindowPos(host_->container_, HWND_TOP, 0, 0, 0, 0,
                     SWP_ASYNCWINDOWPOS | SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        return S_OK;
    }

    // Waits for a step the runtime completes later; on an early end the step is cancelled, so its
    // completion, should it still come, finds nothing to fill in.
    template <typename Made>
    HRESULT wait(Completion<Made>& completion, HRESULT started) {
        if (FAILED(started)) {
            completion.cancelled = true;
            return started;
        }
        if (pump_until_done(completion.done) == Wait::quit) {
            completion.cancelled = true;
            closed_ = true;
            return E_ABORT;
        }
        return completion.result;
    }

    HRESULT create_environment() {
        const std::wstring data_folder = settings_.data_folder ? wide_from_utf8(*settings_.data_folder) : L"";
        auto completion = std::make_shared<Completion<ICoreWebView2Environment>>();
        auto completed = EnvironmentCompleted::make([completion](HRESULT result, ICoreWebView2Environment* environment) {
            completion->complete(result, environment);
            return S_OK;
        });
        const HRESULT result = wait(*completion, CreateCoreWebView2EnvironmentWithOptions(
                                                     nullptr, data_folder.c_str(), make_environment_options().Get(),
                                                     completed.Get()));
        host_->environment_ = completion->made;
        return result;
    }

    HRESULT create_controller() {
        auto completion = std::make_shared<Completion<ICoreWebView2Controller>>();
        auto completed = ControllerCompleted::make([completion](HRESULT result, ICoreWebView2Controller* controller) {
            completion->complete(result, controller);
            return S_OK;
        });
        HRESULT result = S_OK;
        ComPtr<ICoreWebView2Environment10> environment10;
        if (FAILED(query_interface(host_->environment_, IID_ICoreWebView2Environment10, environment10))) {
            result = wait(*completion, host_->environment_->CreateCoreWebView2Controller(host_->container_,
                                                                                          completed.Get()));
        } else {
            ComPtr<ICoreWebView2ControllerOptions> options;
            result = environment10->CreateCoreWebView2ControllerOptions(&options);
            if (SUCCEEDED(result)) result = options->put_IsInPrivateModeEnabled(FALSE);
            if (FAILED(result)) return result;
            result = wait(*completion, environment10->CreateCoreWebView2ControllerWithOptions(
                                           host_->container_, options.Get(), completed.Get()));
        }
        host_->controller_ = completion->made;
        return result;
    }

    HRESULT set_background() {
        ComPtr<ICoreWebView2Controller2> controller2;
        HRESULT result = query_interface(host_->controller_, IID_ICoreWebView2Controller2, controller2);
        if (FAILED(result)) return result;
        COREWEBVIEW2_COLOR colour{};
        colour.A = 255;
        colour.R = web_view_background.red;
        colour.G = web_view_background.green;
        colour.B = web_view_background.blue;
        return controller2->put_DefaultBackgroundColor(colour);
    }

    HRESULT apply_settings() {
        ComPtr<ICoreWebView2Settings> settings;
        HRESULT result = host_->web_view_->get_Settings(&settings);
        if (SUCCEEDED(result)) result = settings->put_IsStatusBarEnabled(FALSE);
        if (SUCCEEDED(result)) result = settings->put_AreDefaultContextMenusEnabled(TRUE);
        if (SUCCEEDED(result)) result = settings->put_IsZoomControlEnabled(FALSE);
        if (SUCCEEDED(result)) result = settings->put_AreDevToolsEnabled(FALSE);
        if (FAILED(result)) return result;
        // Newer settings are skipped on a runtime that does not offer them.
        if (ComPtr<ICoreWebView2Settings5> settings5; SUCCEEDED(query_interface(settings, IID_ICoreWebView2Settings5, settings5))) {
            result = settings5->put_IsPinchZoomEnabled(FALSE);
            if (FAILED(result)) return result;
        }
        if (ComPtr<ICoreWebView2Settings6> settings6; SUCCEEDED(query_interface(settings, IID_ICoreWebView2Settings6, settings6))) {
            result = settings6->put_IsSwipeNavigationEnabled(FALSE);
            if (FAILED(result)) return result;
        }
        if (ComPtr<ICoreWebView2Settings9> settings9; SUCCEEDED(query_interface(settings, IID_ICoreWebView2Settings9, settings9))) {
            result = settings9->put_IsNonClientRegionSupportEnabled(TRUE);
        }
        return result;
    }

    // Every handler reaches the host through its link, which the host clears when it goes.
    HRESULT register_handlers() {
        const std::shared_ptr<HostLink> link = host_->link_;
        HRESULT result = host_->add_handler(&ICoreWebView2::add_WindowCloseRequested,
                                            &ICoreWebView2::remove_WindowCloseRequested,
                                            WindowCloseRequested::make([link](ICoreWebView2*, IUnknown*) {
                                                if (link->host) DestroyWindow(link->host->container_);
                                                return S_OK;
                                            }));
        if (FAILED(result)) return result;
        result = host_->add_handler(
            &ICoreWebView2::add_ContentLoading, &ICoreWebView2::remove_ContentLoading,
            ContentLoading::make([link](ICoreWebView2* sender, ICoreWebView2ContentLoadingEventArgs*) {
                if (!link->host) return S_OK;
                sender->ExecuteScript(wide_from_utf8(app_flag_script).c_str(),
                                      ScriptExecuted::make([](HRESULT, LPCWSTR) { return S_OK; }).Get());
                return S_OK;
            }));
        if (FAILED(result)) return result;
        result = host_->add_handler(
            &ICoreWebView2::add_NavigationStarting, &ICoreWebView2::remove_NavigationStarting,
            NavigationStarting::make([link](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                return link->host ? link->host->on_navigation_starting(args) : S_OK;
            }));
        if (FAILED(result)) return result;
        return host_->add_handler(
            &ICoreWebView2::add_NewWindowRequested, &ICoreWebView2::remove_NewWindowRequested,
            NewWindowRequested::make([link](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) {
                return link->host ? link->host->on_new_window_requested(args) : S_OK;
            }));
    }

    HRESULT add_bridge_script() {
        auto completion = std::make_shared<Completion<IUnknown>>();
        auto completed = ScriptAdded::make([completion](HRESULT result, LPCWSTR) {
            // The script's id is not kept: the script stays for the life of the web view.
            if (!completion->cancelled) {
                completion->result = result;
                completion->done = true;
            }
            return S_OK;
        });
        return wait(*completion, host_->web_view_->AddScriptToExecuteOnDocumentCreated(
                                     wide_from_utf8(bridge_script).c_str(), completed.Get()));
    }

    HRESULT add_request_routing() {
        const std::shared_ptr<HostLink> link = host_->link_;
        HRESULT result = host_->add_handler(
            &ICoreWebView2::add_WebMessageReceived, &ICoreWebView2::remove_WebMessageReceived,
            WebMessageReceived::make([](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs*) { return S_OK; }));
        if (FAILED(result)) return result;
        result = host_->web_view_->AddWebResourceRequestedFilter(wide_from_utf8(local_request_filter(local_origin)).c_str(),
                                                                 COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
        if (FAILED(result)) return result;
        return host_->add_handler(
            &ICoreWebView2::add_WebResourceRequested, &ICoreWebView2::remove_WebResourceRequested,
            WebResourceRequested::make([link](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) {
                return link->host ? link->host->on_resource_requested(args) : S_OK;
            }));
    }

    HRESULT hook_main_window() {
        host_->hook_ = std::make_unique<HookState>(HookState{host_->container_, host_->controller_});
        if (!SetWindowSubclass(host_->main_window_, main_window_hook, hook_id,
                               reinterpret_cast<DWORD_PTR>(host_->hook_.get()))) {
            host_->hook_.reset();
            return last_error();
        }
        return S_OK;
    }

    const AppSettings& settings_;
    std::unique_ptr<WebViewHost> host_;
    bool closed_ = false;
};

WebViewCreation create_web_view(HWND main_window, const AppSettings& settings, WebViewConsumers consumers) {
    return WebViewBuilder(main_window, settings, std::move(consumers)).build();
}

WebViewHost::WebViewHost(HWND main_window, WebViewConsumers consumers)
    : main_window_(main_window), consumers_(std::move(consumers)), link_(std::make_shared<HostLink>(this)) {}

WebViewHost::~WebViewHost() {
    // An event the runtime raises from now on, even one already queued, finds no host.
    link_->host = nullptr;
    for (const auto& [remove, token] : registrations_) (web_view_.Get()->*remove)(token);
    if (controller_) controller_->Close();
    if (container_ && IsWindow(container_)) DestroyWindow(container_);
    if (hook_) RemoveWindowSubclass(main_window_, main_window_hook, hook_id);
}

template <typename Handler>
HRESULT WebViewHost::add_handler(HRESULT (STDMETHODCALLTYPE ICoreWebView2::*add)(Handler*, EventRegistrationToken*),
                                 Removal remove, const ComPtr<Handler>& handler) {
    EventRegistrationToken token{};
    const HRESULT result = (web_view_.Get()->*add)(handler.Get(), &token);
    if (SUCCEEDED(result)) registrations_.emplace_back(remove, token);
    return result;
}

HRESULT WebViewHost::on_navigation_starting(ICoreWebView2NavigationStartingEventArgs* args) {
    LPWSTR uri = nullptr;
    const HRESULT result = args->get_Uri(&uri);
    if (FAILED(result)) return result;
    const auto url = take_task_memory_text(uri);
    if (!url || !consumers_.navigation_decision(*url)) return args->put_Cancel(TRUE);
    return S_OK;
}

HRESULT WebViewHost::on_new_window_requested(ICoreWebView2NewWindowRequestedEventArgs* args) {
    LPWSTR uri = nullptr;
    const HRESULT result = args->get_Uri(&uri);
    if (FAILED(result)) return result;
    const auto url = take_task_memory_text(uri);
    if (!url || !consumers_.new_window_decision(*url)) return args->put_Handled(TRUE);
    return S_OK;
}

// The filter brings only the local origin here. Whatever cannot be read is answered with an
// error: a request left alone would go to the network, where another program may answer for it.
HRESULT WebViewHost::on_resource_requested(ICoreWebView2WebResourceRequestedEventArgs* args) {
    auto refuse = [&](std::string_view what, HRESULT code) {
        return answer_request(args, bad_request_parts(std::string(what) + ": " +
                                                      system_message(static_cast<std::uint32_t>(code))));
    };
    ComPtr<ICoreWebView2WebResourceRequest> request;
    HRESULT result = args->get_Request(&request);
    if (FAILED(result)) return refuse("request not readable", result);
    LPWSTR uri = nullptr;
    result = request->get_Uri(&uri);
    if (FAILED(result)) return refuse("request URL not readable", result);
    const auto url = take_task_memory_text(uri);
    if (url && !is_local_origin_url(*url, local_origin)) return S_OK;

    // The local request handler looks at the method and the URL only.
    LPWSTR method = nullptr;
    result = request->get_Method(&method);
    if (FAILED(result)) return refuse("request method not readable", result);
    const auto method_text = take_task_memory_text(method);
    if (!url) return answer_request(args, bad_request_parts("request URL is not valid Unicode"));
    if (!method_text) return answer_request(args, bad_request_parts("request method is not valid Unicode"));

    // The handler answers before it returns, so without a deferral the answer is simply set now.
    ComPtr<ICoreWebView2Deferral> deferral;
    args->GetDeferral(&deferral);
    const LocalResponse response =
        consumers_.request_handler.handle(LocalRequest{*method_text, rewrite_local_url(*url, local_scheme)});
    result = answer_request(args, response_parts(response));
    if (deferral) deferral->Complete();
    return result;
}

HRESULT WebViewHost::answer_request(ICoreWebView2WebResourceRequestedEventArgs* args, const AnswerParts& parts) {
    return static_cast<HRESULT>(answer(
        parts, [&](const AnswerParts& given) { return static_cast<std::uint32_t>(set_answer(args, given)); },
        [](std::uint32_t code) { return system_message(code); }));
}

HRESULT WebViewHost::set_answer(ICoreWebView2WebResourceRequestedEventArgs* args, const AnswerParts& parts) {
    ComPtr<IStream> content;
    if (!parts.body.empty()) {
        content.Attach(SHCreateMemStream(parts.body.data(), static_cast<UINT>(parts.body.size())));
        if (!content) return E_OUTOFMEMORY;
    }
    ComPtr<ICoreWebView2WebResourceResponse> made;
    const HRESULT result = environment_->CreateWebResourceResponse(
        content.Get(), parts.status, wide_from_utf8(parts.reason).c_str(), wide_from_utf8(parts.headers).c_str(), &made);
    if (FAILED(result)) return result;
    return args->put_Response(made.Get());
}

}  // namespace tarvela::win
