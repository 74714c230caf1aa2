// The test platform's objects, as the classes and the graph make them.
#ifndef CAPTURE_TEST_PLATFORM_TEST_OBJECTS_H
#define CAPTURE_TEST_PLATFORM_TEST_OBJECTS_H

#include "counted_object.h"
#include "interface_stubs.h"

#include <thread>

namespace testplatform {

// What a pin is for, which is all the graph needs to know to join them.
enum class PinRole { DeviceOutput, GrabberInput, GrabberOutput };

class Pin : public CountedObject<media::PinStub> {
public:
    explicit Pin(PinRole role) : role_(role) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION *direction) override;
    PinRole role() const { return role_; }

private:
    const PinRole role_;
};

// A pin enumerator over new pins of those roles.
IEnumPins *newPinEnumerator(const std::vector<PinRole> &roles);

// The system device enumerator, offering the script's devices.
HRESULT createDeviceEnumerator(REFIID iid, void **out);

class SampleGrabber : public CountedObject<ISampleGrabber, media::FilterStub> {
public:
    SampleGrabber() : CountedObject("SampleGrabber") {}
    ~SampleGrabber() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;
    HRESULT STDMETHODCALLTYPE SetOneShot(BOOL oneShot) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL bufferThem) override;
    HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG *, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB *callback, LONG whichMethod) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins **pins) override;

private:
    ISampleGrabberCB *callback_ = nullptr;
};

// The DV decoder that Connect inserts when the script has one.
IBaseFilter *newDvDecoder();
// The windowed renderer that Render adds.
IBaseFilter *newVideoRenderer();

class FilterGraph : public CountedObject<media::GraphBuilderStub, media::MediaControlStub, media::MediaEventStub,
                                         media::VideoWindowStub> {
public:
    FilterGraph();
    ~FilterGraph() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;

    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter *filter, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters **filters) override;
    HRESULT STDMETHODCALLTYPE Connect(IPin *out, IPin *in) override;
    HRESULT STDMETHODCALLTYPE Render(IPin *out) override;

    HRESULT STDMETHODCALLTYPE Run() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Stop() override;

    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT *event) override;
    HRESULT STDMETHODCALLTYPE GetEvent(LONG *code, LONG_PTR *first, LONG_PTR *second, LONG msTimeout) override;
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG code, LONG_PTR first, LONG_PTR second) override;

    HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG style) override;
    HRESULT STDMETHODCALLTYPE put_AutoShow(LONG autoShow) override;
    HRESULT STDMETHODCALLTYPE put_Visible(LONG visible) override;
    HRESULT STDMETHODCALLTYPE put_Left(LONG left) override;
    HRESULT STDMETHODCALLTYPE put_Top(LONG top) override;
    HRESULT STDMETHODCALLTYPE put_Width(LONG width) override;
    HRESULT STDMETHODCALLTYPE put_Height(LONG height) override;
    HRESULT STDMETHODCALLTYPE put_Owner(OAHWND owner) override;

private:
    void addToGraph(IBaseFilter *filter);
    void stream();

    std::vector<IBaseFilter *> filters_; // one reference each; guarded by the state's mutex
    std::thread streamer_;
    bool running_ = false, quitting_ = false; // guarded by the state's mutex
};

} // namespace testplatform

#endif
