#include "device_enumerator.h"

#include "device_modes.h"
#include "element_filter.h"

namespace gstbackend {
namespace {

// A device's moniker binds to a filter over the source element that the
// device makes; a device that makes none does not bind.
class DeviceMoniker : public media::ComObject<media::MonikerStub> {
public:
    explicit DeviceMoniker(GstDevice *device) : device_(GST_DEVICE(gst_object_ref(device))) {}
    ~DeviceMoniker() override { gst_object_unref(device_); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMoniker)
            return answer(static_cast<IMoniker *>(this), out);
        return refuse(out);
    }
    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx *, IMoniker *, REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        GstElement *source = gst_device_create_element(device_, nullptr);
        if (source == nullptr) return E_FAIL;
        GstCaps *modes = gst_device_get_caps(device_);
        rememberAdvertisedModes(source, modes);
        if (modes != nullptr) gst_caps_unref(modes);
        IBaseFilter *filter = newElementFilter(source);
        HRESULT result = filter->QueryInterface(riid, out);
        filter->Release();
        return result;
    }

private:
    GstDevice *const device_;
};

class DeviceEnumerator : public media::ComObject<ICreateDevEnum> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ICreateDevEnum) return answer(this, out);
        return refuse(out);
    }
    // An empty category answers S_FALSE and no enumerator, as the
    // framework does. The monitor is not started: asking it for its
    // devices probes every provider once.
    HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker **out, DWORD) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (category != CLSID_VideoInputDeviceCategory) return S_FALSE;
        GstDeviceMonitor *monitor = gst_device_monitor_new();
        gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
        GList *devices = gst_device_monitor_get_devices(monitor);
        gst_object_unref(monitor);
        std::vector<IMoniker *> monikers;
        for (GList *device = devices; device != nullptr; device = device->next)
            monikers.push_back(new DeviceMoniker(GST_DEVICE(device->data)));
        g_list_free_full(devices, gst_object_unref);
        if (monikers.empty()) return S_FALSE;
        *out = new media::Enumerator<IEnumMoniker, IMoniker>(IID_IEnumMoniker, std::move(monikers));
        return S_OK;
    }
};

} // namespace

HRESULT createDeviceEnumerator(REFIID iid, void **out) { return media::createAs<DeviceEnumerator>(iid, out); }

} // namespace gstbackend
