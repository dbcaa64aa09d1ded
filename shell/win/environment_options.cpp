#include "environment_options.h"

#include <cwchar>
#include <string>

#include "browser_arguments.h"
#include "win_text.h"

namespace tarvela::win {

namespace {

HRESULT copy_out(const std::wstring& value, LPWSTR* out) {
    if (!out) return E_POINTER;
    *out = static_cast<LPWSTR>(CoTaskMemAlloc((value.size() + 1) * sizeof(wchar_t)));
    if (!*out) return E_OUTOFMEMORY;
    std::wmemcpy(*out, value.c_str(), value.size() + 1);
    return S_OK;
}

std::wstring user_ui_language() {
    wchar_t name[32] = {};
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (LCIDToLocaleName(locale, name, 32, LOCALE_ALLOW_NEUTRAL_NAMES) == 0) return {};
    return name;
}

class EnvironmentOptions final : public ICoreWebView2EnvironmentOptions, public ICoreWebView2EnvironmentOptions6 {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions)) {
            *object = static_cast<ICoreWebView2EnvironmentOptions*>(this);
        } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions6)) {
            *object = static_cast<ICoreWebView2EnvironmentOptions6*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override { return copy_out(arguments_, value); }
    HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override { return store(arguments_, value); }
    HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override { return copy_out(language_, value); }
    HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override { return store(language_, value); }
    HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override {
        return copy_out(target_version_, value);
    }
    HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override {
        return store(target_version_, value);
    }
    HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override {
        return read_flag(single_sign_on_, allow);
    }
    HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override {
        single_sign_on_ = allow;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AreBrowserExtensionsEnabled(BOOL* value) override {
        return read_flag(extensions_, value);
    }
    HRESULT STDMETHODCALLTYPE put_AreBrowserExtensionsEnabled(BOOL value) override {
        extensions_ = value;
        return S_OK;
    }

private:
    static HRESULT store(std::wstring& field, LPCWSTR value) {
        field = value ? value : L"";
        return S_OK;
    }
    static HRESULT read_flag(BOOL flag, BOOL* out) {
        if (!out) return E_POINTER;
        *out = flag;
        return S_OK;
    }

    std::wstring arguments_ = wide_from_utf8(additional_browser_arguments);
    std::wstring language_ = user_ui_language();
    std::wstring target_version_ = wide_from_utf8(webview2_target_version);
    BOOL single_sign_on_ = FALSE;
    BOOL extensions_ = FALSE;
    LONG references_ = 1;
};

}  // namespace

Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions> make_environment_options() {
    Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions> options;
    options.Attach(new EnvironmentOptions());
    return options;
}

}  // namespace tarvela::win
