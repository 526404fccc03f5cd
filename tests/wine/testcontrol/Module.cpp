// The DLL's entry points: a class factory for the test control (whatever class id it is
// registered under) and the unload check.
#include <ole2.h>
#include <windows.h>

#include "TestControl.h"
#include "TestLog.h"

namespace testcontrol {
namespace {

LONG g_locks = 0;

class Factory final : public IClassFactory {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // One static factory: it lives as long as the DLL.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* control = new TestControl();
        HRESULT hr = control->QueryInterface(riid, out);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&g_locks);
        else
            InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

Factory g_factory;

}  // namespace
}  // namespace testcontrol

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        testcontrol::SetModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        testcontrol::UnregisterWindowClass();
    }
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID riid, void** out) {
    return testcontrol::g_factory.QueryInterface(riid, out);
}

HRESULT WINAPI DllCanUnloadNow() {
    return testcontrol::g_objects == 0 && testcontrol::g_locks == 0 ? S_OK : S_FALSE;
}

}  // extern "C"
