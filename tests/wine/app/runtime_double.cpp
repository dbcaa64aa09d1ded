// A stand-in for the WebView2 runtime's EmbeddedBrowserWebView.dll, for the app's Wine tests.
// It implements the environment, controller, web view and settings by raw vtable slot numbers
// (independent of the app's declarations), records every call and argument to the file named by
// TARVELA_DOUBLE_LOG, and once the app navigates, plays a fixed script of events. Scenarios
// named by TARVELA_DOUBLE_* variables change how creation goes.
#include <windows.h>
#include <eventtoken.h>
#include <objidl.h>

#include <array>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---- log ----

std::string utf8(const wchar_t* text) {
    if (!text) return "(null)";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

void log_line(const std::string& line) {
    wchar_t path[1024];
    if (!GetEnvironmentVariableW(L"TARVELA_DOUBLE_LOG", path, 1024)) return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

LPWSTR task_copy(const std::wstring& text) {
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return copy;
}

// ---- objects with slot-numbered vtables ----

constexpr GUID guid(unsigned long a, unsigned short b, unsigned short c, std::array<unsigned char, 8> d) {
    return GUID{a, b, c, {d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]}};
}

const GUID iid_environment = guid(0xb96d755e, 0x0319, 0x4e92, {0xa2, 0x96, 0x23, 0x43, 0x6f, 0x46, 0xa1, 0xfc});
const GUID iid_environment10 = guid(0xee0eb9df, 0x6f12, 0x46ce, {0xb5, 0x3f, 0x3f, 0x47, 0xb9, 0xc9, 0x28, 0xe0});
const GUID iid_controller = guid(0x4d00c0d1, 0x9434, 0x4eb6, {0x80, 0x78, 0x86, 0x97, 0xa5, 0x60, 0x33, 0x4f});
const GUID iid_controller2 = guid(0xc979903e, 0xd4ca, 0x4228, {0x92, 0xeb, 0x47, 0xee, 0x3f, 0xa9, 0x6e, 0xab});
const GUID iid_controller_options = guid(0x12aae616, 0x8ccb, 0x44ec, {0xbc, 0xb3, 0xeb, 0x18, 0x31, 0x88, 0x16, 0x35});
const GUID iid_web_view = guid(0x76eceacb, 0x0462, 0x4d94, {0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77, 0x5e});
const GUID iid_settings = guid(0xe562e4f0, 0xd7fa, 0x43ac, {0x8d, 0x71, 0xc0, 0x51, 0x50, 0x49, 0x9f, 0x00});
const GUID iid_settings5 = guid(0x183e7052, 0x1d03, 0x43a0, {0xab, 0x99, 0x98, 0xe0, 0x43, 0xb6, 0x6b, 0x39});
const GUID iid_settings6 = guid(0x11cb3acd, 0x9bc8, 0x43b8, {0x83, 0xbf, 0xf4, 0x07, 0x53, 0x71, 0x4f, 0x87});
const GUID iid_settings9 = guid(0x0528a73b, 0xe92d, 0x49f4, {0x92, 0x7a, 0xe5, 0x47, 0xdd, 0xda, 0xa3, 0x7d});
const GUID iid_options = guid(0x2fde08a8, 0x1e9a, 0x4766, {0x8c, 0x05, 0x95, 0xa9, 0xce, 0xb9, 0xd1, 0xc5});
const GUID iid_options2 = guid(0xff85c98a, 0x1ba7, 0x4a6b, {0x90, 0xc8, 0x2b, 0x75, 0x2c, 0x89, 0xe9, 0xe2});
const GUID iid_options3 = guid(0x4a5c436e, 0xa9e3, 0x4a2e, {0x89, 0xc3, 0x91, 0x0d, 0x35, 0x13, 0xf5, 0xcc});
const GUID iid_options4 = guid(0xac52d13f, 0x0d38, 0x475a, {0x9d, 0xca, 0x87, 0x65, 0x80, 0xd6, 0x79, 0x3e});
const GUID iid_options5 = guid(0x0ae35d64, 0xc47f, 0x4464, {0x81, 0x4e, 0x25, 0x9c, 0x34, 0x5d, 0x15, 0x01});
const GUID iid_options6 = guid(0x57d29cc3, 0xc84f, 0x42a0, {0xb0, 0xe2, 0xef, 0xfb, 0xd5, 0xe1, 0x79, 0xde});

struct Object {
    void* const* vtable;
    const char* name;
    std::vector<GUID> interfaces;
    ULONG references = 1;
};

template <std::size_t Slot>
HRESULT STDMETHODCALLTYPE unexpected_slot(Object* self) {
    log_line(std::string("UNEXPECTED ") + self->name + " slot " + std::to_string(Slot));
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE query_interface(Object* self, REFIID riid, void** out) {
    if (IsEqualIID(riid, IID_IUnknown)) {
        *out = self;
        ++self->references;
        return S_OK;
    }
    for (const GUID& known : self->interfaces) {
        if (IsEqualIID(riid, known)) {
            *out = self;
            ++self->references;
            return S_OK;
        }
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE add_ref(Object* self) { return ++self->references; }
// Objects live as long as the process: a double need not free anything.
ULONG STDMETHODCALLTYPE release(Object* self) { return self->references > 1 ? --self->references : 1; }

template <std::size_t Slots>
struct VTable {
    std::array<void*, Slots> slots;
    VTable() {
        fill(std::make_index_sequence<Slots>());
        slots[0] = reinterpret_cast<void*>(&query_interface);
        slots[1] = reinterpret_cast<void*>(&add_ref);
        slots[2] = reinterpret_cast<void*>(&release);
    }
    template <std::size_t... I>
    void fill(std::index_sequence<I...>) {
        ((slots[I] = reinterpret_cast<void*>(&unexpected_slot<I>)), ...);
    }
    template <typename F>
    void set(std::size_t slot, F function) {
        slots[slot] = reinterpret_cast<void*>(function);
    }
};

// Calls slot `slot` of a COM object the app gave us.
template <typename R, typename... A>
R call(void* object, std::size_t slot, A... args) {
    auto* vtable = *static_cast<void***>(object);
    return reinterpret_cast<R(STDMETHODCALLTYPE*)(void*, A...)>(vtable[slot])(object, args...);
}

std::string bool_text(BOOL value) { return value ? "1" : "0"; }

// ---- state ----

struct EventHandlers {
    void* navigation_starting = nullptr;
    void* content_loading = nullptr;
    void* new_window = nullptr;
    void* web_message = nullptr;
    void* resource_requested = nullptr;
    void* window_close = nullptr;
};

struct Runtime {
    HWND container = nullptr;
    EventHandlers handlers;
    std::string current_request;
    std::vector<std::string> filters;
};
Runtime runtime;

Object* environment_object();
Object* controller_object();
Object* web_view_object();
Object* settings_object();

// One-shot work on the UI thread once its message queue runs.
std::vector<std::pair<UINT_PTR, void (*)()>> timers;
void CALLBACK on_timer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    for (auto& [timer, work] : timers) {
        if (timer == id) {
            timer = 0;
            work();
        }
    }
}
void later(void (*work)()) { timers.emplace_back(SetTimer(nullptr, 0, 20, on_timer), work); }

bool scenario(const wchar_t* name) { return GetEnvironmentVariableW(name, nullptr, 0) != 0; }

HWND main_window() { return FindWindowW(L"Window Class", nullptr); }

// ---- environment options, read the way the runtime reads them ----

void read_options(void* options) {
    void* base = nullptr;
    if (!options || FAILED(call<HRESULT>(options, 0, &IID_IUnknown, &base))) {
        log_line("Options none");
        return;
    }
    void* first = nullptr;
    if (SUCCEEDED(call<HRESULT>(options, 0, &iid_options, &first))) {
        LPWSTR text = nullptr;
        call<HRESULT>(first, 3, &text);
        log_line("Options.AdditionalBrowserArguments " + utf8(text));
        CoTaskMemFree(text);
        call<HRESULT>(first, 5, &text);
        log_line("Options.Language " + utf8(text));
        CoTaskMemFree(text);
        call<HRESULT>(first, 7, &text);
        log_line("Options.TargetCompatibleBrowserVersion " + utf8(text));
        CoTaskMemFree(text);
        BOOL flag = TRUE;
        call<HRESULT>(first, 9, &flag);
        log_line("Options.AllowSingleSignOnUsingOSPrimaryAccount " + bool_text(flag));
    }
    const std::pair<const GUID*, const char*> optional_interfaces[] = {
        {&iid_options2, "Options2"}, {&iid_options3, "Options3"}, {&iid_options4, "Options4"},
        {&iid_options5, "Options5"}};
    for (const auto& [iid, name] : optional_interfaces) {
        void* other = nullptr;
        if (SUCCEEDED(call<HRESULT>(options, 0, iid, &other))) log_line(std::string(name) + " offered");
    }
    void* sixth = nullptr;
    if (SUCCEEDED(call<HRESULT>(options, 0, &iid_options6, &sixth))) {
        BOOL flag = TRUE;
        call<HRESULT>(sixth, 3, &flag);
        log_line("Options6.AreBrowserExtensionsEnabled " + bool_text(flag));
    }
}

// ---- small objects handed to the app ----


struct UriArgs : Object {
    std::wstring uri;
    BOOL flag = FALSE;  // Cancel or Handled
};

HRESULT STDMETHODCALLTYPE args_get_uri(UriArgs* self, LPWSTR* uri) {
    *uri = task_copy(self->uri);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE args_put_flag(UriArgs* self, BOOL value) {
    self->flag = value;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE args_get_flag(UriArgs* self, BOOL* value) {
    *value = self->flag;
    return S_OK;
}

UriArgs* navigation_args(const std::wstring& uri) {
    static VTable<10> table = [] {
        VTable<10> t;
        t.set(3, args_get_uri);
        t.set(7, args_get_flag);
        t.set(8, args_put_flag);
        return t;
    }();
    auto* args = new UriArgs;
    args->vtable = table.slots.data();
    args->name = "NavigationStartingEventArgs";
    args->uri = uri;
    return args;
}

UriArgs* new_window_args(const std::wstring& uri) {
    static VTable<11> table = [] {
        VTable<11> t;
        t.set(3, args_get_uri);
        t.set(6, args_put_flag);
        t.set(7, args_get_flag);
        return t;
    }();
    auto* args = new UriArgs;
    args->vtable = table.slots.data();
    args->name = "NewWindowRequestedEventArgs";
    args->uri = uri;
    return args;
}

Object* content_loading_args() {
    static VTable<5> table;
    auto* args = new Object;
    args->vtable = table.slots.data();
    args->name = "ContentLoadingEventArgs";
    return args;
}

// Which read of a request event fails, as a runtime may refuse one.
enum class Refusal { none, request, uri, method, deferral };

struct Request : Object {
    std::wstring uri;
    std::wstring method;
    Refusal refusal = Refusal::none;
};
HRESULT STDMETHODCALLTYPE request_get_uri(Request* self, LPWSTR* uri) {
    if (self->refusal == Refusal::uri) return E_UNEXPECTED;
    *uri = task_copy(self->uri);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE request_get_method(Request* self, LPWSTR* method) {
    if (self->refusal == Refusal::method) return E_UNEXPECTED;
    *method = task_copy(self->method);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE deferral_complete(Object*) {
    log_line("Deferral.Complete");
    return S_OK;
}

struct ResourceArgs : Object {
    Request* request;
    void* response = nullptr;
};
HRESULT STDMETHODCALLTYPE resource_get_request(ResourceArgs* self, void** request) {
    if (self->request->refusal == Refusal::request) return E_UNEXPECTED;
    *request = self->request;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE resource_put_response(ResourceArgs* self, void* response) {
    self->response = response;
    log_line("WebResourceRequestedEventArgs.put_Response");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE resource_get_deferral(ResourceArgs* self, void** deferral) {
    if (self->request->refusal == Refusal::deferral) return E_UNEXPECTED;
    static VTable<4> table = [] {
        VTable<4> t;
        t.set(3, deferral_complete);
        return t;
    }();
    auto* made = new Object;
    made->vtable = table.slots.data();
    made->name = "Deferral";
    *deferral = made;
    log_line("WebResourceRequestedEventArgs.GetDeferral");
    return S_OK;
}

ResourceArgs* resource_args(const std::wstring& uri, const std::wstring& method, Refusal refusal) {
    static VTable<10> request_table = [] {
        VTable<10> t;
        t.set(3, request_get_uri);
        t.set(5, request_get_method);
        return t;
    }();
    static VTable<8> args_table = [] {
        VTable<8> t;
        t.set(3, resource_get_request);
        t.set(5, resource_put_response);
        t.set(6, resource_get_deferral);
        return t;
    }();
    auto* request = new Request;
    request->vtable = request_table.slots.data();
    request->name = "WebResourceRequest";
    request->uri = uri;
    request->method = method;
    request->refusal = refusal;
    auto* args = new ResourceArgs;
    args->vtable = args_table.slots.data();
    args->name = "WebResourceRequestedEventArgs";
    args->request = request;
    return args;
}

// ---- controller options ----

HRESULT STDMETHODCALLTYPE controller_options_put_private(Object*, BOOL value) {
    log_line("ControllerOptions.put_IsInPrivateModeEnabled " + bool_text(value));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE controller_options_put_profile(Object*, LPCWSTR value) {
    log_line("ControllerOptions.put_ProfileName " + utf8(value));
    return S_OK;
}

// ---- environment ----

std::string window_class(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return utf8(name);
}

void* pending_controller_handler = nullptr;

// The user may resize the window while the controller is being made.
void complete_controller_later(void* handler) {
    pending_controller_handler = handler;
    call<ULONG>(handler, 1);
    later([] {
        if (scenario(L"TARVELA_DOUBLE_RESIZE_DURING_CREATION")) {
            log_line("Runtime.ResizeDuringCreation");
            SetWindowPos(main_window(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        call<HRESULT>(pending_controller_handler, 3, S_OK, controller_object());
    });
}

HRESULT STDMETHODCALLTYPE environment_create_controller(Object*, HWND parent, void* handler) {
    log_line("Environment.CreateCoreWebView2Controller parent=" + window_class(parent));
    runtime.container = parent;
    complete_controller_later(handler);
    return S_OK;
}

// How many of the next answers the runtime refuses to make.
int responses_to_refuse = 0;

HRESULT STDMETHODCALLTYPE environment_create_response(Object*, IStream* content, int status, LPCWSTR reason,
                                                      LPCWSTR headers, void** response) {
    if (responses_to_refuse > 0) {
        --responses_to_refuse;
        log_line("Environment.CreateWebResourceResponse refused url=" + runtime.current_request +
                 " status=" + std::to_string(status));
        return E_OUTOFMEMORY;
    }
    std::string body;
    if (content) {
        char buffer[65536];
        ULONG got = 0;
        while (SUCCEEDED(content->Read(buffer, sizeof buffer, &got)) && got > 0) body.append(buffer, got);
    }
    log_line("Environment.CreateWebResourceResponse url=" + runtime.current_request + " status=" +
             std::to_string(status) + " reason=" + utf8(reason) + " headers=" + escaped(utf8(headers)) +
             " content=" + (content ? "stream" : "none") + " length=" + std::to_string(body.size()) +
             (body.size() <= 64 ? " body=" + escaped(body) : std::string()) +
             (body.find("https://sito.example/") != std::string::npos ? " names-site-url" : ""));
    static VTable<10> table;
    auto* made = new Object;
    made->vtable = table.slots.data();
    made->name = "WebResourceResponse";
    *response = made;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE environment_create_controller_options(Object*, void** options) {
    static VTable<7> table = [] {
        VTable<7> t;
        t.set(4, controller_options_put_profile);
        t.set(6, controller_options_put_private);
        return t;
    }();
    auto* made = new Object;
    made->vtable = table.slots.data();
    made->name = "ControllerOptions";
    made->interfaces = {iid_controller_options};
    *options = made;
    log_line("Environment10.CreateCoreWebView2ControllerOptions");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE environment_create_controller_with_options(Object*, HWND parent, void* options,
                                                                     void* handler) {
    log_line("Environment10.CreateCoreWebView2ControllerWithOptions parent=" + window_class(parent) +
             (options ? " options" : " no-options"));
    runtime.container = parent;
    complete_controller_later(handler);
    return S_OK;
}

Object* environment_object() {
    static VTable<23> table = [] {
        VTable<23> t;
        t.set(3, environment_create_controller);
        t.set(4, environment_create_response);
        t.set(20, environment_create_controller_options);
        t.set(21, environment_create_controller_with_options);
        return t;
    }();
    static Object object{table.slots.data(), "Environment", {iid_environment, iid_environment10}};
    return &object;
}

// ---- controller ----

std::string rect_text(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

HRESULT STDMETHODCALLTYPE controller_put_visible(Object*, BOOL visible) {
    log_line("Controller.put_IsVisible " + bool_text(visible));
    // Refused after the app has navigated: its events are already on their way.
    if (scenario(L"TARVELA_DOUBLE_REFUSE_VISIBLE")) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE controller_put_bounds(Object*, RECT bounds) {
    log_line("Controller.put_Bounds " + rect_text(bounds));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE controller_move_focus(Object*, int reason) {
    log_line("Controller.MoveFocus " + std::to_string(reason));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE controller_notify_position(Object*) {
    log_line("Controller.NotifyParentWindowPositionChanged");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE controller_close(Object*) {
    log_line("Controller.Close");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE controller_get_web_view(Object*, void** web_view) {
    log_line("Controller.get_CoreWebView2");
    *web_view = web_view_object();
    return S_OK;
}
struct Colour {
    BYTE a, r, g, b;
};
HRESULT STDMETHODCALLTYPE controller_put_background(Object*, Colour colour) {
    log_line("Controller2.put_DefaultBackgroundColor A=" + std::to_string(colour.a) + " R=" + std::to_string(colour.r) +
             " G=" + std::to_string(colour.g) + " B=" + std::to_string(colour.b));
    return S_OK;
}

Object* controller_object() {
    static VTable<28> table = [] {
        VTable<28> t;
        t.set(4, controller_put_visible);
        t.set(6, controller_put_bounds);
        t.set(12, controller_move_focus);
        t.set(23, controller_notify_position);
        t.set(24, controller_close);
        t.set(25, controller_get_web_view);
        t.set(27, controller_put_background);
        return t;
    }();
    static Object object{table.slots.data(), "Controller", {iid_controller, iid_controller2}};
    return &object;
}

// ---- settings ----

template <std::size_t Slot>
HRESULT STDMETHODCALLTYPE settings_put(Object*, BOOL value) {
    static const char* const names[] = {
        "",  "",  "", "", "", "", "", "", "", "",
        "put_IsStatusBarEnabled", "", "put_AreDevToolsEnabled", "", "put_AreDefaultContextMenusEnabled", "", "", "",
        "put_IsZoomControlEnabled", "", "", "", "", "", "put_AreBrowserAcceleratorKeysEnabled", "", "", "", "", "",
        "put_IsPinchZoomEnabled", "", "put_IsSwipeNavigationEnabled", "", "", "", "", "", "put_IsNonClientRegionSupportEnabled"};
    log_line(std::string("Settings.") + names[Slot] + " " + bool_text(value));
    return S_OK;
}

Object* settings_object() {
    static VTable<39> table = [] {
        VTable<39> t;
        t.set(10, settings_put<10>);
        t.set(12, settings_put<12>);
        t.set(14, settings_put<14>);
        t.set(18, settings_put<18>);
        t.set(24, settings_put<24>);
        t.set(30, settings_put<30>);
        t.set(32, settings_put<32>);
        t.set(38, settings_put<38>);
        return t;
    }();
    static Object object{table.slots.data(), "Settings", {iid_settings, iid_settings5, iid_settings6, iid_settings9}};
    return &object;
}

// ---- web view ----

// Each handler gets the slot number of its add_ method as its token. A removed handler is kept
// and may still be called, as a runtime does with an event it had already queued.
HRESULT register_handler(const char* name, void*& slot, void* handler, EventRegistrationToken* token, INT64 id) {
    log_line(std::string("WebView.") + name);
    call<ULONG>(handler, 1);
    slot = handler;
    token->value = id;
    return S_OK;
}

template <std::size_t AddSlot>
HRESULT STDMETHODCALLTYPE web_view_remove_handler(Object*, EventRegistrationToken token) {
    static const char* const names[] = {"NavigationStarting", "ContentLoading", "WebMessageReceived",
                                        "NewWindowRequested", "WebResourceRequested", "WindowCloseRequested"};
    constexpr std::size_t slots[] = {7, 9, 34, 44, 55, 59};
    std::size_t i = 0;
    while (slots[i] != AddSlot) ++i;
    log_line(std::string("WebView.remove_") + names[i] +
             (token.value == static_cast<INT64>(AddSlot) ? "" : " wrong-token=" + std::to_string(token.value)));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE web_view_get_settings(Object*, void** settings) {
    log_line("WebView.get_Settings");
    *settings = settings_object();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE web_view_add_navigation_starting(Object*, void* handler, EventRegistrationToken* token) {
    return register_handler("add_NavigationStarting", runtime.handlers.navigation_starting, handler, token, 7);
}
HRESULT STDMETHODCALLTYPE web_view_add_content_loading(Object*, void* handler, EventRegistrationToken* token) {
    return register_handler("add_ContentLoading", runtime.handlers.content_loading, handler, token, 9);
}
HRESULT STDMETHODCALLTYPE web_view_add_web_message(Object*, void* handler, EventRegistrationToken* token) {
    return register_handler("add_WebMessageReceived", runtime.handlers.web_message, handler, token, 34);
}
HRESULT STDMETHODCALLTYPE web_view_add_new_window(Object*, void* handler, EventRegistrationToken* token) {
    return register_handler("add_NewWindowRequested", runtime.handlers.new_window, handler, token, 44);
}
HRESULT STDMETHODCALLTYPE web_view_add_resource_requested(Object*, void* handler, EventRegistrationToken* token) {
    return register_handler("add_WebResourceRequested", runtime.handlers.resource_requested, handler, token, 55);
}
HRESULT STDMETHODCALLTYPE web_view_add_window_close(Object*, void* handler, EventRegistrationToken* token) {
    return register_handler("add_WindowCloseRequested", runtime.handlers.window_close, handler, token, 59);
}

void* pending_script_handler = nullptr;
HRESULT STDMETHODCALLTYPE web_view_add_script(Object*, LPCWSTR script, void* handler) {
    log_line("WebView.AddScriptToExecuteOnDocumentCreated " + utf8(script));
    pending_script_handler = handler;
    call<ULONG>(handler, 1);
    later([] { call<HRESULT>(pending_script_handler, 3, S_OK, L"script-1"); });
    return S_OK;
}
HRESULT STDMETHODCALLTYPE web_view_execute_script(Object*, LPCWSTR script, void* handler) {
    log_line("WebView.ExecuteScript " + utf8(script));
    if (handler) call<HRESULT>(handler, 3, S_OK, L"\"windows\"");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE web_view_add_filter(Object*, LPCWSTR uri, int context) {
    log_line("WebView.AddWebResourceRequestedFilter " + utf8(uri) + " " + std::to_string(context));
    runtime.filters.push_back(utf8(uri));
    return S_OK;
}

void play_script();
void play_late_script();

HRESULT STDMETHODCALLTYPE web_view_navigate(Object*, LPCWSTR uri) {
    log_line("WebView.Navigate " + utf8(uri));
    later(scenario(L"TARVELA_DOUBLE_REFUSE_VISIBLE") ? play_late_script : play_script);
    return S_OK;
}

Object* web_view_object() {
    static VTable<61> table = [] {
        VTable<61> t;
        t.set(3, web_view_get_settings);
        t.set(5, web_view_navigate);
        t.set(7, web_view_add_navigation_starting);
        t.set(9, web_view_add_content_loading);
        t.set(27, web_view_add_script);
        t.set(29, web_view_execute_script);
        t.set(34, web_view_add_web_message);
        t.set(44, web_view_add_new_window);
        t.set(55, web_view_add_resource_requested);
        t.set(57, web_view_add_filter);
        t.set(59, web_view_add_window_close);
        t.set(8, web_view_remove_handler<7>);
        t.set(10, web_view_remove_handler<9>);
        t.set(35, web_view_remove_handler<34>);
        t.set(45, web_view_remove_handler<44>);
        t.set(56, web_view_remove_handler<55>);
        t.set(60, web_view_remove_handler<59>);
        return t;
    }();
    static Object object{table.slots.data(), "WebView", {iid_web_view}};
    return &object;
}

// ---- the script of events ----

void navigation_starting(const std::wstring& uri) {
    UriArgs* args = navigation_args(uri);
    call<HRESULT>(runtime.handlers.navigation_starting, 3, web_view_object(), args);
    log_line("Event.NavigationStarting " + utf8(uri.c_str()) + " cancel=" + bool_text(args->flag));
}

void new_window_requested(const std::wstring& uri) {
    UriArgs* args = new_window_args(uri);
    call<HRESULT>(runtime.handlers.new_window, 3, web_view_object(), args);
    log_line("Event.NewWindowRequested " + utf8(uri.c_str()) + " handled=" + bool_text(args->flag));
}

// Raised only for URLs that a registered filter matches ("prefix*" filters only).
void resource_requested(const std::wstring& uri, const std::wstring& method, Refusal refusal = Refusal::none) {
    const std::string url = utf8(uri.c_str());
    bool matches = false;
    for (const std::string& filter : runtime.filters) {
        if (!filter.empty() && filter.back() == '*' && url.starts_with(filter.substr(0, filter.size() - 1))) {
            matches = true;
        }
    }
    log_line("Event.WebResourceRequested " + url + " " + utf8(method.c_str()) + (matches ? "" : " filtered-out"));
    if (!matches) return;
    runtime.current_request = url;
    ResourceArgs* args = resource_args(uri, method, refusal);
    call<HRESULT>(runtime.handlers.resource_requested, 3, web_view_object(), args);
    log_line(std::string("Event.WebResourceRequested done ") + (args->response ? "responded" : "left-alone"));
}

void log_sizes(const std::string& what, HWND main) {
    RECT client{}, container{};
    GetClientRect(main, &client);
    GetClientRect(runtime.container, &container);
    log_line(what + " MainClient " + rect_text(client) + " Container " + rect_text(container));
}

void play_script() {
    navigation_starting(L"https://tarvela.localhost/avvio.html");
    resource_requested(L"https://tarvela.localhost/avvio.html", L"GET");
    call<HRESULT>(runtime.handlers.content_loading, 3, web_view_object(), content_loading_args());
    navigation_starting(L"https://example.invalid/");
    navigation_starting(L"https://sito.example/corsi");
    new_window_requested(L"https://example.invalid/finestra");
    new_window_requested(L"https://sito.example/pagina");
    resource_requested(L"https://tarvela.localhost/index.html", L"GET");
    resource_requested(L"https://tarvela.localhost/foto/x.jpg?v=1", L"GET");
    resource_requested(L"https://tarvela.localhost/nope", L"POST");
    resource_requested(L"https://tarvela.localhostile/index.html", L"GET");
    resource_requested(L"https://tarvela.example.com/index.html", L"GET");
    resource_requested(L"https://example.invalid/index.html", L"GET");
    // A method that is not valid Unicode cannot reach the handler.
    resource_requested(L"https://tarvela.localhost/metodo", std::wstring(1, wchar_t(0xD800)));
    // Reads the runtime refuses, and answers it refuses to make.
    resource_requested(L"https://tarvela.localhost/senza-richiesta", L"GET", Refusal::request);
    resource_requested(L"https://tarvela.localhost/senza-indirizzo", L"GET", Refusal::uri);
    resource_requested(L"https://tarvela.localhost/senza-metodo", L"GET", Refusal::method);
    resource_requested(L"https://tarvela.localhost/index.html?senza-rinvio", L"GET", Refusal::deferral);
    responses_to_refuse = 2;
    resource_requested(L"https://tarvela.localhost/index.html?rifiutata", L"GET");

    // Sizes as creation left them, then after a resize by the user.
    const HWND main = GetAncestor(runtime.container, GA_ROOT);
    log_sizes("Check.Created", main);
    RECT outer{};
    GetWindowRect(main, &outer);
    log_line("Check.Outer " + std::to_string(outer.left) + "," + std::to_string(outer.top) + " Foreground " +
             (GetForegroundWindow() == main ? "1" : "0"));
    SetWindowPos(main, nullptr, 0, 0, 1000, 760, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    log_sizes("Check.Resized", main);

    // window.close() in the page: the container goes, the main window stays.
    call<HRESULT>(runtime.handlers.window_close, 3, web_view_object(), nullptr);
    log_line(std::string("Check.ContainerAlive ") + (IsWindow(runtime.container) ? "1" : "0") + " MainAlive " +
             (IsWindow(main) ? "1" : "0"));

    log_line("Script.Close");
    PostMessageW(main, WM_CLOSE, 0, 0);
}

// Events that reach the app after its host is gone, while it shows the error box.
void play_late_script() {
    log_line("Runtime.LateEvents");
    navigation_starting(L"https://example.invalid/tardi");
    new_window_requested(L"https://example.invalid/tardi-finestra");
    resource_requested(L"https://tarvela.localhost/index.html", L"GET");
    call<HRESULT>(runtime.handlers.content_loading, 3, web_view_object(), content_loading_args());
    call<HRESULT>(runtime.handlers.window_close, 3, web_view_object(), nullptr);
    log_line("Runtime.LateEvents returned");
    if (HWND box = FindWindowW(L"#32770", L"Tarvela Sorvelo")) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void* pending_environment_handler = nullptr;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE CreateWebViewEnvironmentWithOptionsInternal(
    BOOL flag, int kind, PCWSTR user_data_folder, void* options, void* handler) {
    log_line("Runtime.Create flag=" + bool_text(flag) + " kind=" + std::to_string(kind) +
             " user_data_folder=" + utf8(user_data_folder));
    read_options(options);
    if (scenario(L"TARVELA_DOUBLE_CLOSE_DURING_CREATION")) {
        // The user closes the window before the environment is ready; it never becomes ready.
        log_line("Runtime.CloseDuringCreation");
        PostMessageW(main_window(), WM_CLOSE, 0, 0);
        return S_OK;
    }
    pending_environment_handler = handler;
    call<ULONG>(handler, 1);
    if (scenario(L"TARVELA_DOUBLE_FAIL_THEN_COMPLETE")) {
        // Refuses at once, yet still completes 20 ms later, while the app shows its error box.
        later([] {
            log_line("Runtime.LateCompletion");
            call<HRESULT>(pending_environment_handler, 3, S_OK, environment_object());
            log_line("Runtime.LateCompletion returned");
            if (HWND box = FindWindowW(L"#32770", L"Tarvela Sorvelo")) PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        return E_ACCESSDENIED;
    }
    later([] { call<HRESULT>(pending_environment_handler, 3, S_OK, environment_object()); });
    return S_OK;
}
