// The system device enumerator, its video input category and the devices'
// monikers and filters.
#include "test_objects.h"

namespace testplatform {
namespace {

class DeviceFilter : public CountedObject<media::FilterStub> {
public:
    DeviceFilter(size_t index, bool hasOutputPin)
        : CountedObject("Device " + std::to_string(index)), hasOutputPin_(hasOutputPin) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter)
            return answer(this, out);
        return refuse(out);
    }
    // A capture device offers a capture and a preview output.
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins **pins) override {
        std::vector<PinRole> roles;
        if (hasOutputPin_) roles = {PinRole::DeviceOutput, PinRole::DeviceOutput};
        *pins = newPinEnumerator(roles);
        return S_OK;
    }

private:
    const bool hasOutputPin_;
};

class DeviceMoniker : public CountedObject<media::MonikerStub> {
public:
    explicit DeviceMoniker(size_t index) : index_(index) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == IID_IMoniker) return answer(this, out);
        return refuse(out);
    }
    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx *, IMoniker *, REFIID riid, void **out) override {
        *out = nullptr;
        Device device = currentScript().devices.at(index_);
        if (!device.binds) return E_FAIL;
        record("Bind device " + std::to_string(index_));
        return createAs<DeviceFilter>(riid, out, index_, device.hasOutputPin);
    }

private:
    const size_t index_;
};

class DeviceEnumerator : public CountedObject<ICreateDevEnum> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == IID_ICreateDevEnum) return answer(this, out);
        return refuse(out);
    }
    // An empty category answers S_FALSE and no enumerator.
    HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker **out, DWORD) override {
        *out = nullptr;
        size_t count = currentScript().devices.size();
        if (category != CLSID_VideoInputDeviceCategory || count == 0) return S_FALSE;
        std::vector<IMoniker *> monikers;
        for (size_t index = 0; index < count; ++index) monikers.push_back(new DeviceMoniker(index));
        *out = new Enumerator<IEnumMoniker, IMoniker>(IID_IEnumMoniker, std::move(monikers));
        return S_OK;
    }
};

} // namespace

HRESULT createDeviceEnumerator(REFIID iid, void **out) {
    if (failing(Step::CreateDeviceEnumerator)) return E_FAIL;
    return createAs<DeviceEnumerator>(iid, out);
}

} // namespace testplatform
