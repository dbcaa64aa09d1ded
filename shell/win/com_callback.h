// A reference-counted COM handler whose one Invoke method calls a C++ function.
#pragma once

#include <objbase.h>

#include <atomic>
#include <functional>
#include <wrl/client.h>

namespace tarvela::win {

template <typename Interface, const IID& interface_id, typename First, typename Second>
class ComCallback final : public Interface {
public:
    using Function = std::function<HRESULT(First, Second)>;

    static Microsoft::WRL::ComPtr<Interface> make(Function function) {
        Microsoft::WRL::ComPtr<Interface> made;
        made.Attach(new ComCallback(std::move(function)));
        return made;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, interface_id)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The runtime calls back on the UI thread, but a relay in between (the loader's) may take or
    // drop its reference on another thread.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Invoke(First first, Second second) override { return function_(first, second); }

private:
    explicit ComCallback(Function function) : function_(std::move(function)) {}

    Function function_;
    std::atomic<ULONG> references_{1};
};

// QueryInterface by explicit IID, so the code does not depend on how a header attaches IIDs.
template <typename Wanted, typename From>
HRESULT query_interface(const Microsoft::WRL::ComPtr<From>& from, const IID& wanted_id,
                        Microsoft::WRL::ComPtr<Wanted>& out) {
    return from->QueryInterface(wanted_id, reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}

}  // namespace tarvela::win
