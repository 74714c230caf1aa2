#include "element_filter.h"

namespace gstbackend {
namespace {

class Pin : public media::ComObject<media::PinStub, IPadAccess> {
public:
    explicit Pin(GstPad *pad) : pad_(GST_PAD(gst_object_ref(pad))) {}
    ~Pin() override { gst_object_unref(pad_); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPin) return answer(static_cast<IPin *>(this), out);
        if (riid == IID_IPadAccess) return answer(static_cast<IPadAccess *>(this), out);
        return refuse(out);
    }
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION *direction) override {
        if (direction == nullptr) return E_POINTER;
        *direction = GST_PAD_IS_SRC(pad_) ? PINDIR_OUTPUT : PINDIR_INPUT;
        return S_OK;
    }
    GstPad *pad() override { return pad_; }

private:
    GstPad *const pad_;
};

class InsertedFilter : public ElementFilter<> {
public:
    using ElementFilter::ElementFilter;
};

} // namespace

GstElement *elementOf(IBaseFilter *filter) {
    IElementAccess *access = nullptr;
    if (filter == nullptr || FAILED(filter->QueryInterface(IID_IElementAccess, reinterpret_cast<void **>(&access))))
        return nullptr;
    GstElement *element = access->element();
    access->Release();
    return element;
}

GstPad *padOf(IPin *pin) {
    IPadAccess *access = nullptr;
    if (pin == nullptr || FAILED(pin->QueryInterface(IID_IPadAccess, reinterpret_cast<void **>(&access))))
        return nullptr;
    GstPad *pad = access->pad();
    access->Release();
    return pad;
}

IEnumPins *newPinEnumerator(GstElement *element) {
    std::vector<IPin *> pins;
    GST_OBJECT_LOCK(element);
    for (GList *pad = element->pads; pad != nullptr; pad = pad->next) pins.push_back(new Pin(GST_PAD(pad->data)));
    GST_OBJECT_UNLOCK(element);
    return new media::Enumerator<IEnumPins, IPin>(IID_IEnumPins, std::move(pins));
}

IBaseFilter *newElementFilter(GstElement *element) { return new InsertedFilter(element); }

} // namespace gstbackend
