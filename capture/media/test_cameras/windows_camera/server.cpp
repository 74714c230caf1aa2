// The exports through which COM makes camera filters: the class factory
// and the unload test. Any thread.
#include "server.h"

#include "camera_filter.h"
#include "com_object.h"

namespace testcamera {

namespace {

HMODULE loadedModule = nullptr;

class CameraFactory : public ComObject<IClassFactory, &IID_IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        return CameraFilter::create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ++serverUsers;
        else
            --serverUsers;
        return S_OK;
    }
};

} // namespace

HMODULE serverModule() { return loadedModule; }

} // namespace testcamera

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        testcamera::loadedModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, testcamera::CLSID_TestCamera)) return CLASS_E_CLASSNOTAVAILABLE;
    auto *factory = new testcamera::CameraFactory();
    HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
}

STDAPI DllCanUnloadNow(void) { return testcamera::serverUsers == 0 ? S_OK : S_FALSE; }
