// The camera's one output pin: it connects to a downstream input pin with
// the camera's media type, settles an allocator with it, and streams
// through a FramePump while the filter is paused or running. Its
// reference count is the filter's. Any thread, under the filter's lock
// where a method changes the connection or the streaming.
#ifndef WINDOWS_CAMERA_CAMERA_PIN_H
#define WINDOWS_CAMERA_CAMERA_PIN_H

#include "frame_pump.h"

#include <dshow.h>

namespace testcamera {

class CameraFilter;

class CameraPin : public IPin {
public:
    static const wchar_t kName[];

    explicit CameraPin(CameraFilter &filter) : filter_(filter) {}
    ~CameraPin();
    CameraPin(const CameraPin &) = delete;
    CameraPin &operator=(const CameraPin &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Connect(IPin *receiver, const AM_MEDIA_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin **pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO *info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION *direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR *id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes **types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin **pins, ULONG *count) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // The filter's state changes: stopped to paused starts the pump, paused
    // and running switch its frames, and stopping ends it. An unconnected
    // pin has nothing to stream.
    HRESULT activate();
    void setRunning(bool running);
    void deactivate();

private:
    // Settles the downstream pin's allocator, else one of our own.
    HRESULT settleAllocator(IMemInputPin *input);
    void forgetConnection();

    CameraFilter &filter_;
    IPin *connected_ = nullptr;
    IMemInputPin *input_ = nullptr;
    IMemAllocator *allocator_ = nullptr;
    FramePump pump_;
};

} // namespace testcamera

#endif
