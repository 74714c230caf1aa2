// The filter graph: one GStreamer pipeline holding the filters' elements.
// Connect links pads directly or through what format_bridge inserts;
// Render ends a stream in the video renderer. The graph is also the
// stream's media control (Run, Pause, Stop as PLAYING, PAUSED, READY) and
// the renderer's video window, and it reports the pipeline's errors as
// media events: EC_DEVICE_LOST when the device went away, EC_ERRORABORT
// (VFW_E_TYPE_NOT_ACCEPTED when no format could be agreed on, else E_FAIL)
// for any other. Giving back its last reference stops the pipeline and
// frees it all. The builder's methods and the media control
// run on one thread at a time (the worker); the window's methods may
// come from any thread meanwhile.
#ifndef CAPTURE_GSTREAMER_FILTER_GRAPH_H
#define CAPTURE_GSTREAMER_FILTER_GRAPH_H

#include "com_object.h"
#include "win32_threads.h"
#include "interface_stubs.h"
#include "video_renderer.h"
#include "window_settings.h"

#include <gst/gst.h>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace gstbackend {

class FilterGraph
    : public media::ComObject<media::GraphBuilderStub, media::MediaControlStub, media::MediaEventStub,
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

    // Any thread. The handle is set while events wait; GetEvent waits for
    // one at most msTimeout milliseconds, else answers E_ABORT.
    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT *event) override;
    HRESULT STDMETHODCALLTYPE GetEvent(LONG *code, LONG_PTR *first, LONG_PTR *second, LONG msTimeout) override;
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG style) override;
    HRESULT STDMETHODCALLTYPE put_AutoShow(LONG autoShow) override;
    HRESULT STDMETHODCALLTYPE put_Visible(LONG visible) override;
    HRESULT STDMETHODCALLTYPE put_Left(LONG left) override;
    HRESULT STDMETHODCALLTYPE put_Top(LONG top) override;
    HRESULT STDMETHODCALLTYPE put_Width(LONG width) override;
    HRESULT STDMETHODCALLTYPE put_Height(LONG height) override;
    HRESULT STDMETHODCALLTYPE put_Owner(OAHWND owner) override;
    HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;

private:
    struct Event {
        LONG code;
        LONG_PTR first, second;
    };
    // Streaming threads: every message of the pipeline passes here.
    static GstBusSyncReply onMessage(GstBus *bus, GstMessage *message, gpointer self);
    void queueEvent(Event event);

    // Whether the pad's element was added to this graph.
    bool holds(GstPad *pad);
    HRESULT changeState(GstState state);
    // Changes the window settings and applies them to the preview.
    template <class Change>
    HRESULT changeWindow(Change change);

    GstElement *const pipeline_;
    std::mutex mutex_; // guards the members below
    std::vector<IBaseFilter *> filters_; // one reference each
    std::unique_ptr<VideoRenderer> renderer_;
    WindowSettings window_;

    std::mutex eventsMutex_;
    std::deque<Event> events_;
    HANDLE eventsWaiting_; // manual reset: set while events_ holds any
};

} // namespace gstbackend

#endif
