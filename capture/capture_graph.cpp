#include "capture_graph.h"

#include "com_ptr.h"
#include "exclusive_lock.h"
#include "grabber_callback.h"
#include "kept_frame.h"

namespace {

const DWORD kInProcessServerOrHandler = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
const DWORD kInProcessOrLocalServer = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;
// decodeSize reports each side of the frame in 16 bits.
const LONG kLargestFrameSide = 0xFFFF;
// A sample's length reaches the callback as a LONG, so no frame the grabber
// hands on needs more; it also keeps the buffer addressable in 32 bits.
const uint64_t kLargestFrameBufferBytes = 0x7FFFFFFF;

void releaseGrabber() {
    ExclusiveLock lock(decoder.graphLock);
    if (ISampleGrabber *grabber = decoder.grabber.exchange(nullptr)) grabber->Release();
}

// What a failed step gives back: everything the build holds, and the graph.
int failBuild(DecoderStatus status, ComPtr<IBaseFilter> &captureFilter, ComPtr<IBaseFilter> &grabberFilter) {
    captureFilter.reset();
    releaseGrabber();
    grabberFilter.reset();
    releaseGraph();
    setStatus(status);
    return 0;
}

// The type the grabber is asked for: RGB24 video described by a video
// info header, whose frame size the connection then settles.
void describeRgb24(AM_MEDIA_TYPE &type, VIDEOINFOHEADER &format) {
    format = VIDEOINFOHEADER{};
    format.rcSource.right = format.rcTarget.right = 320;
    format.rcSource.bottom = format.rcTarget.bottom = 240;
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_BITFIELDS;
    type = AM_MEDIA_TYPE{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = MEDIASUBTYPE_RGB24;
    type.bFixedSizeSamples = FALSE;
    type.bTemporalCompression = FALSE;
    type.lSampleSize = 0;
    type.formattype = FORMAT_VideoInfo;
    type.pUnk = nullptr;
    type.cbFormat = sizeof(VIDEOINFOHEADER);
    type.pbFormat = reinterpret_cast<BYTE *>(&format);
}

// The platform allocates the connected type's format block for the caller.
void freeMediaTypeContents(AM_MEDIA_TYPE &type) {
    CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk != nullptr) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

bool usableFrameSide(LONG side) { return side > 0 && side <= kLargestFrameSide; }

// A size the buffer can hold; a negative height gives the height of a
// frame whose rows are top-down.
bool holdableFrame(LONG width, LONG height) {
    return usableFrameSide(width) && usableFrameSide(height) &&
           frameBufferBytes(width, height) <= kLargestFrameBufferBytes;
}

} // namespace

int buildCaptureGraph() {
    initGrabberCallback(&decoder.GrabberCallback);
    if (CoInitialize(nullptr) != S_OK) setStatus(StatusComFailed);

    IGraphBuilder *graph = nullptr;
    if (CoCreateInstance(CLSID_FilterGraph, nullptr, kInProcessServerOrHandler, IID_IGraphBuilder,
                         reinterpret_cast<void **>(&graph)) != S_OK) {
        if (graph != nullptr) graph->Release();
        setStatus(StatusComFailed);
        return 0;
    }
    decoder.graph.store(graph);

    ComPtr<IBaseFilter> captureFilter;
    ComPtr<IBaseFilter> grabberFilter;
    findCaptureDevice(captureFilter.out());
    if (!captureFilter) {
        releaseGraph();
        setStatus(StatusNoVideoDevice);
        return 0;
    }
    graph->AddFilter(captureFilter.get(), L"Cap");

    ISampleGrabber *grabber = nullptr;
    CoCreateInstance(CLSID_SampleGrabber, nullptr, kInProcessOrLocalServer, IID_ISampleGrabber,
                     reinterpret_cast<void **>(&grabber));
    decoder.grabber.store(grabber);
    if (grabber == nullptr) return failBuild(StatusComFailed, captureFilter, grabberFilter);

    grabber->QueryInterface(IID_IBaseFilter, grabberFilter.outAsVoid());
    if (!grabberFilter) return failBuild(StatusComFailed, captureFilter, grabberFilter);

    AM_MEDIA_TYPE type;
    VIDEOINFOHEADER format;
    describeRgb24(type, format);
    if (FAILED(grabber->SetMediaType(&type))) return failBuild(StatusMediaTypeRefused, captureFilter, grabberFilter);

    if (FAILED(graph->AddFilter(grabberFilter.get(), L"Grabber")))
        return failBuild(StatusGraphRefused, captureFilter, grabberFilter);

    ComPtr<IPin> out;
    ComPtr<IPin> in;
    findPin(captureFilter.get(), PINDIR_OUTPUT, 0, out.out());
    findPin(grabberFilter.get(), PINDIR_INPUT, 0, in.out());
    HRESULT connected = graph->Connect(out.get(), in.get());
    out.reset();
    in.reset();
    if (FAILED(connected)) return failBuild(StatusGraphRefused, captureFilter, grabberFilter);

    findPin(grabberFilter.get(), PINDIR_OUTPUT, 0, out.out());
    HRESULT rendered = graph->Render(out.get());
    out.reset();
    if (FAILED(rendered)) return failBuild(StatusGraphRefused, captureFilter, grabberFilter);

    if (!allocateFrameBuffer()) {
        captureFilter.reset();
        grabberFilter.reset();
        return 0;
    }

    grabber->SetBufferSamples(FALSE);
    grabber->SetOneShot(FALSE);
    // A grabber that refused the callback would never hand on a frame.
    if (FAILED(grabber->SetCallback(grabberCallbackInterface(), 1)))
        return failBuild(StatusGraphRefused, captureFilter, grabberFilter);

    grabberFilter.reset();
    captureFilter.reset();
    setStatus(StatusSuccess);
    return 1;
}

void findCaptureDevice(IBaseFilter **out) {
    *out = nullptr;
    ComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, kInProcessOrLocalServer, IID_ICreateDevEnum,
                                devices.outAsVoid())))
        return;
    ComPtr<IEnumMoniker> category;
    devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, category.out(), 0);
    if (!category) return;
    category->Reset();
    ComPtr<IMoniker> moniker;
    ULONG fetched = 0;
    while (category->Next(1, moniker.out(), &fetched) == S_OK) {
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void **>(out));
        moniker.reset();
        if (*out != nullptr) break;
    }
}

HRESULT findPin(IBaseFilter *filter, PIN_DIRECTION direction, int n, IPin **out) {
    *out = nullptr;
    ComPtr<IEnumPins> pins;
    HRESULT result = filter->EnumPins(pins.out());
    if (FAILED(result)) return result;
    result = E_FAIL;
    ComPtr<IPin> pin;
    ULONG fetched = 0;
    while (pins->Next(1, pin.out(), &fetched) == S_OK) {
        PIN_DIRECTION found = static_cast<PIN_DIRECTION>(3);
        pin->QueryDirection(&found);
        if (found == direction) {
            if (n == 0) {
                *out = pin.detach();
                result = S_OK;
                break;
            }
            --n;
        }
        pin.reset();
    }
    return result;
}

int allocateFrameBuffer() {
    ISampleGrabber *grabber = decoder.grabber.load();
    if (grabber == nullptr) {
        setStatus(StatusPreconditionMissing);
        return 0;
    }
    AM_MEDIA_TYPE connected{};
    if (FAILED(grabber->GetConnectedMediaType(&connected))) {
        setStatus(StatusMediaTypeRefused);
        return 0;
    }
    // A type without a whole format block reports no size at all.
    if (connected.pbFormat == nullptr || connected.cbFormat < sizeof(VIDEOINFOHEADER)) {
        freeMediaTypeContents(connected);
        setStatus(StatusMediaTypeRefused);
        return 0;
    }
    const BITMAPINFOHEADER &header = reinterpret_cast<const VIDEOINFOHEADER *>(connected.pbFormat)->bmiHeader;
    LONG width = header.biWidth;
    // A negative height, as RGB types give it, means rows top-down.
    const bool rowsTopDown = header.biHeight < 0 && header.biHeight > -kLargestFrameSide - 1;
    LONG height = rowsTopDown ? -header.biHeight : header.biHeight;
    freeMediaTypeContents(connected);

    bool allocated = false;
    if (holdableFrame(width, height))
        allocated = replaceFrameBuffers(width, height, rowsTopDown);
    else
        freeFrameBuffers();
    // A frame it cannot keep makes the connected type one it cannot take.
    setStatus(allocated ? StatusSuccess : StatusMediaTypeRefused);
    return allocated ? 1 : 0;
}

void releaseGraph() {
    ExclusiveLock lock(decoder.graphLock);
    IGraphBuilder *graph = decoder.graph.load();
    ComPtr<IVideoWindow> window;
    if (graph != nullptr && SUCCEEDED(graph->QueryInterface(IID_IVideoWindow, window.outAsVoid())) && window) {
        window->put_Visible(OAFALSE);
        window->put_Owner(0);
        window.reset();
    }
    decoder.windowReady.store(0);
    if (ISampleGrabber *grabber = decoder.grabber.exchange(nullptr)) grabber->Release();
    if (IGraphBuilder *released = decoder.graph.exchange(nullptr)) released->Release();
}
