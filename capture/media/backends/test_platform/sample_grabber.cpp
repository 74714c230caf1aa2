// The sample grabber: it keeps the type it is asked for, reports the
// connected format the script sets, and registers the frame callback that
// the graph's streaming thread calls.
#include "test_objects.h"

#include <cstring>

namespace testplatform {

SampleGrabber::~SampleGrabber() {
    if (callback_ == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (state().callback == callback_) state().callback = nullptr;
    }
    callback_->Release();
}

HRESULT SampleGrabber::QueryInterface(REFIID riid, void **out) {
    if (riid == IID_IUnknown || riid == IID_ISampleGrabber) return answer(static_cast<ISampleGrabber *>(this), out);
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist) {
        if (failing(Step::GrabberFilter)) return refuse(out);
        return answer(static_cast<IBaseFilter *>(this), out);
    }
    return refuse(out);
}

HRESULT SampleGrabber::SetOneShot(BOOL oneShot) {
    record("SetOneShot " + std::to_string(oneShot));
    return S_OK;
}

HRESULT SampleGrabber::SetMediaType(const AM_MEDIA_TYPE *type) {
    if (failing(Step::SetMediaType)) return VFW_E_TYPE_NOT_ACCEPTED;
    std::lock_guard<std::mutex> lock(state().mutex);
    state().requestedType = *type;
    state().requestedType.pbFormat = nullptr;
    if (type->pbFormat != nullptr && type->cbFormat >= sizeof(VIDEOINFOHEADER))
        state().requestedFormat = *reinterpret_cast<const VIDEOINFOHEADER *>(type->pbFormat);
    return S_OK;
}

// As the framework does, the format block is the caller's to free.
HRESULT SampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE *type) {
    if (failing(Step::GetConnectedMediaType)) return VFW_E_NOT_CONNECTED;
    Script script = currentScript();
    *type = AM_MEDIA_TYPE{};
    type->majortype = MEDIATYPE_Video;
    type->subtype = MEDIASUBTYPE_RGB24;
    type->bFixedSizeSamples = TRUE;
    type->formattype = FORMAT_VideoInfo;
    if (script.formatBlockMissing) return S_OK;
    VIDEOINFOHEADER format{};
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        format.bmiHeader.biWidth = state().connectedWidth;
        format.bmiHeader.biHeight = state().connectedHeight;
    }
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    type->cbFormat = sizeof(VIDEOINFOHEADER);
    type->pbFormat = static_cast<BYTE *>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    std::memcpy(type->pbFormat, &format, sizeof format);
    return S_OK;
}

HRESULT SampleGrabber::SetBufferSamples(BOOL bufferThem) {
    record("SetBufferSamples " + std::to_string(bufferThem));
    return S_OK;
}

// Like the framework's grabber, it holds a reference to the callback.
HRESULT SampleGrabber::SetCallback(ISampleGrabberCB *callback, LONG whichMethod) {
    record("SetCallback " + std::to_string(whichMethod));
    if (failing(Step::SetCallback)) return E_FAIL;
    if (callback != nullptr) callback->AddRef();
    ISampleGrabberCB *previous = callback_;
    callback_ = callback;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().callback = whichMethod == 1 ? callback : nullptr;
    }
    if (previous != nullptr) previous->Release();
    return S_OK;
}

HRESULT SampleGrabber::EnumPins(IEnumPins **pins) {
    *pins = newPinEnumerator({PinRole::GrabberInput, PinRole::GrabberOutput});
    return S_OK;
}

} // namespace testplatform
