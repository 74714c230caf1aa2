// CoInitialize, CoCreateInstance over the registered classes (in the
// test-only build) and the default backend's, and the task memory that the
// runtime's callers free.
#include "kernel_objects.h"
#if defined(MEDIA_DEFAULT_BACKEND)
#include "default_backend.h"
#endif

#include <cstdlib>

namespace media {
namespace {

thread_local int threadInitialisations = 0;

} // namespace

HRESULT CoInitialize(LPVOID) {
    ++counters().comInitialisations;
    HRESULT scripted = counters().coInitializeResult;
    HRESULT result = scripted != 0 ? scripted : threadInitialisations == 0 ? S_OK : S_FALSE;
    ++threadInitialisations;
    return result;
}

void CoUninitialize() {
    --counters().comInitialisations;
    --threadInitialisations;
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown *pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    ClassFactory factory = registeredClass(rclsid);
#if defined(MEDIA_DEFAULT_BACKEND)
    if (!factory) return createDefaultInstance(rclsid, pUnkOuter, dwClsContext, riid, ppv);
#else
    // Without a backend beside the runtime only registered classes exist.
    if (!factory) return REGDB_E_CLASSNOTREG;
#endif
    return factory(pUnkOuter, dwClsContext, riid, ppv);
}

LPVOID CoTaskMemAlloc(SIZE_T cb) {
    void *block = std::malloc(cb == 0 ? 1 : cb);
    if (block != nullptr) ++counters().taskMemoryBlocks;
    return block;
}

void CoTaskMemFree(LPVOID pv) {
    if (pv == nullptr) return;
    --counters().taskMemoryBlocks;
    std::free(pv);
}

} // namespace media
