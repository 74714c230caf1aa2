// Filters and pins over GStreamer elements and pads: a filter is one
// element (often a bin), its pins are the element's pads. The graph finds
// the element and pad again behind the interfaces it is handed through
// the backend's own interfaces below. Any thread.
#ifndef CAPTURE_GSTREAMER_ELEMENT_FILTER_H
#define CAPTURE_GSTREAMER_ELEMENT_FILTER_H

#include "com_object.h"
#include "interface_stubs.h"

#include <gst/gst.h>

namespace gstbackend {

// {7D3B4E51-2C0A-4F6E-9B1D-5A8E0C3F2B61}
const IID IID_IElementAccess = {0x7D3B4E51, 0x2C0A, 0x4F6E, {0x9B, 0x1D, 0x5A, 0x8E, 0x0C, 0x3F, 0x2B, 0x61}};
// {7D3B4E52-2C0A-4F6E-9B1D-5A8E0C3F2B61}
const IID IID_IPadAccess = {0x7D3B4E52, 0x2C0A, 0x4F6E, {0x9B, 0x1D, 0x5A, 0x8E, 0x0C, 0x3F, 0x2B, 0x61}};

struct IElementAccess : public IUnknown {
    virtual GstElement *element() = 0;
};

struct IPadAccess : public IUnknown {
    virtual GstPad *pad() = 0;
};

// The element behind one of our filters, or null for any other filter.
// The filter keeps the reference; the caller borrows it.
GstElement *elementOf(IBaseFilter *filter);
// The pad behind one of our pins, or null for any other pin; borrowed too.
GstPad *padOf(IPin *pin);

// A filter over an element, answering the extra interfaces its subclass
// serves as well.
template <class... Extra>
class ElementFilter : public media::ComObject<media::FilterStub, IElementAccess, Extra...> {
public:
    // Takes the element, sinking a floating reference.
    explicit ElementFilter(GstElement *element) : element_(GST_ELEMENT(gst_object_ref_sink(element))) {}
    ~ElementFilter() override { gst_object_unref(element_); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter)
            return this->answer(static_cast<IBaseFilter *>(this), out);
        if (riid == IID_IElementAccess) return this->answer(static_cast<IElementAccess *>(this), out);
        return queryExtra(riid, out);
    }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins **pins) override;
    GstElement *element() override { return element_; }

protected:
    // The subclass's interfaces.
    virtual HRESULT queryExtra(REFIID, void **out) { return this->refuse(out); }

    GstElement *const element_;
};

// A new enumerator over pins for the element's pads, in the element's order.
IEnumPins *newPinEnumerator(GstElement *element);

template <class... Extra>
HRESULT STDMETHODCALLTYPE ElementFilter<Extra...>::EnumPins(IEnumPins **pins) {
    if (pins == nullptr) return E_POINTER;
    *pins = newPinEnumerator(element_);
    return S_OK;
}

// A filter over any element the graph inserts.
IBaseFilter *newElementFilter(GstElement *element);

} // namespace gstbackend

#endif
