#include "grabber_callback.h"

#include "kept_frame.h"

namespace {

// Any thread. The object is static and counts no references.
HRESULT STDMETHODCALLTYPE QueryInterface(GrabberCallbackObject *self, REFIID riid, void **ppvObject) {
    if (ppvObject == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ISampleGrabberCB)) {
        *ppvObject = self;
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE AddRef(GrabberCallbackObject *) { return 1; }

ULONG STDMETHODCALLTYPE Release(GrabberCallbackObject *) { return 0; }

// Never chosen: the callback is registered for whole buffers.
HRESULT STDMETHODCALLTYPE SampleCB(GrabberCallbackObject *, double, IMediaSample *) { return S_OK; }

// Streaming thread. Keeps the frame when a capture was requested, copying
// no more than the buffer holds and nothing when there is no buffer, then
// hands the sample time on. The usual frame costs one flag test.
HRESULT STDMETHODCALLTYPE BufferCB(GrabberCallbackObject *, double sampleTime, BYTE *buffer, LONG length) {
    if (decoder.captureRequested.load() != 0 && keepFrame(buffer, length)) decoder.captureRequested.store(0);
    if (FrameCallback callback = decoder.frameCallback.load()) callback(sampleTime);
    return S_OK;
}

} // namespace

void initGrabberCallback(GrabberCallbackObject *object) {
    object->table = &decoder.callbackTable;
    decoder.callbackTable.QueryInterface = QueryInterface;
    decoder.callbackTable.AddRef = AddRef;
    decoder.callbackTable.Release = Release;
    decoder.callbackTable.SampleCB = SampleCB;
    decoder.callbackTable.BufferCB = BufferCB;
}

PLUGIN_EXPORT void HOST_CALL signalFrame(double sampleTime) {
    decoder.lastSampleTime.store(sampleTime);
    HostWord index = decoder.frameSemaphoreIndex.load();
    const HostInterface *host = decoder.host.load();
    if (index > 0 && host != nullptr) host->signalSemaphore(index);
}
