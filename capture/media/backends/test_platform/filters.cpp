// The filters the graph inserts itself: the DV decoder and the renderer.
#include "test_objects.h"

namespace testplatform {
namespace {

struct DecodeSize {
    int display;
    LONG width, height;
};
const DecodeSize kDecodeSizes[] = {
    {DVRESOLUTION_FULL, 720, 480},
    {DVRESOLUTION_HALF, 360, 240},
    {DVRESOLUTION_QUARTER, 180, 120},
    {DVRESOLUTION_DC, 88, 60},
};

// Decoding at another resolution changes the size the grabber connects at.
class DvDecoderFilter : public CountedObject<media::FilterStub, IIPDVDec> {
public:
    DvDecoderFilter() : CountedObject("DvDecoder") {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)
            return answer(static_cast<IBaseFilter *>(this), out);
        if (riid == IID_IIPDVDec) return answer(static_cast<IIPDVDec *>(this), out);
        return refuse(out);
    }
    HRESULT STDMETHODCALLTYPE get_IPDisplay(int *display) override {
        *display = display_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_IPDisplay(int display) override {
        record("put_IPDisplay " + std::to_string(display));
        std::lock_guard<std::mutex> lock(state().mutex);
        if (state().script.dvDecoder.refusedDisplays.count(display) != 0) return E_FAIL;
        for (const DecodeSize &size : kDecodeSizes) {
            if (size.display != display) continue;
            display_ = display;
            state().connectedWidth = size.width;
            state().connectedHeight = size.height;
            return S_OK;
        }
        return E_INVALIDARG;
    }

private:
    int display_ = DVRESOLUTION_FULL;
};

class VideoRenderer : public CountedObject<media::FilterStub> {
public:
    VideoRenderer() : CountedObject("VideoRenderer") {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)
            return answer(this, out);
        return refuse(out);
    }
};

} // namespace

IBaseFilter *newDvDecoder() { return new DvDecoderFilter(); }

IBaseFilter *newVideoRenderer() { return new VideoRenderer(); }

} // namespace testplatform
