// The classes the layer's runtime makes when nobody registered others:
// the filter graph, the system device enumerator and the sample grabber,
// over GStreamer. GStreamer is initialised once, by the first object made,
// and never deinitialised: its threads may outlive any caller. Any thread.
#include "device_enumerator.h"
#include "filter_graph.h"
#include "sample_grabber.h"

#include "media_export.h"

#include <mutex>

namespace {

bool gstreamerReady() {
    static std::once_flag initialised;
    static bool ready = false;
    std::call_once(initialised, [] { ready = gst_init_check(nullptr, nullptr, nullptr) != FALSE; });
    return ready;
}

} // namespace

extern "C" MEDIA_API HRESULT mediaBackendCreateInstance(REFCLSID clsid, IUnknown *outer, DWORD, REFIID iid,
                                                        void **out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    bool known = clsid == CLSID_FilterGraph || clsid == CLSID_SystemDeviceEnum || clsid == CLSID_SampleGrabber;
    if (!known) return REGDB_E_CLASSNOTREG;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (!gstreamerReady()) return E_FAIL;
    if (clsid == CLSID_FilterGraph) return media::createAs<gstbackend::FilterGraph>(iid, out);
    if (clsid == CLSID_SystemDeviceEnum) return gstbackend::createDeviceEnumerator(iid, out);
    return media::createAs<gstbackend::SampleGrabber>(iid, out);
}
