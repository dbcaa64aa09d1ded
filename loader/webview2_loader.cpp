// WebView2Loader.dll: finds the WebView2 runtime and has it create the environment.
#include <objbase.h>
#include <windows.h>

#include <atomic>
#include <cwchar>

#include "runtime_search.h"
#include "search_platform_win.h"
#include "win_text.h"
#include "webview2_api.h"

using namespace tarvela::loader;
using tarvela::win::utf8_from_wide;
using tarvela::win::wide_from_utf8;

namespace {

using CreateInternal = HRESULT(STDMETHODCALLTYPE*)(BOOL, int, PCWSTR, ICoreWebView2EnvironmentOptions*,
                                                   ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);

// Hands the host the environment under its base interface, as the host expects.
class EnvironmentRelay final : public ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler {
public:
    explicit EnvironmentRelay(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* target) : target_(target) {
        target_->AddRef();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) ||
            IsEqualIID(riid, IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler)) {
            *object = static_cast<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            target_->Release();
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE Invoke(HRESULT error, ICoreWebView2Environment* created) override {
        ICoreWebView2Environment* environment = nullptr;
        if (SUCCEEDED(error) && created) {
            error = created->QueryInterface(IID_ICoreWebView2Environment, reinterpret_cast<void**>(&environment));
        }
        const HRESULT result = target_->Invoke(error, SUCCEEDED(error) ? environment : nullptr);
        if (environment) environment->Release();
        return result;
    }

private:
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* target_;
    std::atomic<ULONG> references_{1};
};

std::optional<std::string> given_folder(PCWSTR folder) {
    if (!folder || !*folder) return std::nullopt;
    return utf8_from_wide(folder);
}

// The environment's overrides win over the folder the caller names. Runtimes older than the
// one our declarations target are passed over.
SearchResult locate_runtime(const SearchPlatform& platform, const Overrides& overrides, PCWSTR browser_folder) {
    static const Version target = *parse_version(tarvela::webview2_target_version);
    return find_runtime(overrides.browser_folder ? overrides.browser_folder : given_folder(browser_folder),
                        overrides.reverse_channel_order, target, platform);
}

LPWSTR task_memory_copy(const std::wstring& text) {
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy) std::wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) {
    if (!environmentCreatedHandler) return E_POINTER;
    const SearchPlatform platform = windows_search_platform();
    const Overrides overrides = read_overrides(platform);
    const SearchResult found = locate_runtime(platform, overrides, browserExecutableFolder);
    if (const auto* error = std::get_if<std::uint32_t>(&found)) return HRESULT_FROM_WIN32(*error);
    const FoundRuntime& runtime = std::get<FoundRuntime>(found);

    const HMODULE module =
        LoadLibraryExW(wide_from_utf8(runtime.dll_path).c_str(), nullptr,
                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    const auto create =
        reinterpret_cast<CreateInternal>(
        reinterpret_cast<void*>(GetProcAddress(module, "CreateWebViewEnvironmentWithOptionsInternal")));
    if (!create) return HRESULT_FROM_WIN32(GetLastError());

    // The runtime stays loaded for the life of the process: its objects outlive this call.
    const std::wstring user_data = overrides.user_data_folder ? wide_from_utf8(*overrides.user_data_folder) : L"";
    auto* relay = new EnvironmentRelay(environmentCreatedHandler);
    const HRESULT result = create(TRUE, static_cast<int>(runtime.kind),
                                  overrides.user_data_folder ? user_data.c_str() : userDataFolder,
                                  environmentOptions, relay);
    relay->Release();
    return result;
}

extern "C" HRESULT STDAPICALLTYPE CreateCoreWebView2Environment(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) {
    return CreateCoreWebView2EnvironmentWithOptions(nullptr, nullptr, nullptr, environmentCreatedHandler);
}

extern "C" HRESULT STDAPICALLTYPE GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserExecutableFolder,
                                                                                LPWSTR* versionInfo) {
    if (!versionInfo) return E_POINTER;
    *versionInfo = nullptr;
    const SearchPlatform platform = windows_search_platform();
    const SearchResult found = locate_runtime(platform, read_overrides(platform), browserExecutableFolder);
    if (const auto* error = std::get_if<std::uint32_t>(&found)) return HRESULT_FROM_WIN32(*error);
    const FoundRuntime& runtime = std::get<FoundRuntime>(found);
    const std::string version = runtime.version + runtime.channel_suffix;
    *versionInfo = task_memory_copy(wide_from_utf8(version));
    return *versionInfo ? S_OK : E_OUTOFMEMORY;
}

extern "C" HRESULT STDAPICALLTYPE CompareBrowserVersions(PCWSTR version1, PCWSTR version2, int* result) {
    if (!version1 || !version2 || !result) return E_INVALIDARG;
    // A channel name after the number does not take part in the comparison.
    auto number = [](PCWSTR text) {
        const std::string whole = utf8_from_wide(text).value_or("");
        return parse_version(std::string_view(whole).substr(0, whole.find(' ')));
    };
    const auto first = number(version1);
    const auto second = number(version2);
    if (!first || !second) return E_INVALIDARG;
    *result = *first < *second ? -1 : (*first == *second ? 0 : 1);
    return S_OK;
}
