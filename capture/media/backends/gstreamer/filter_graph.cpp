#include "filter_graph.h"

#include "device_modes.h"
#include "element_filter.h"
#include "format_bridge.h"
#include "media_types.h"

namespace gstbackend {
namespace {

// A device that went away reports that it cannot be found or read any more.
bool deviceLost(const GError *error) {
    if (error == nullptr || error->domain != GST_RESOURCE_ERROR) return false;
    return error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ ||
           error->code == GST_RESOURCE_ERROR_OPEN_READ_WRITE || error->code == GST_RESOURCE_ERROR_READ;
}

// A stream that stopped because its elements could not agree on a format:
// a flow error whose reason is "not-negotiated", or a format error.
bool formatNotNegotiated(GstMessage *message, const GError *error) {
    if (error == nullptr || error->domain != GST_STREAM_ERROR) return false;
    if (error->code == GST_STREAM_ERROR_FORMAT) return true;
    const GstStructure *details = nullptr;
    gst_message_parse_error_details(message, &details);
    int flow = GST_FLOW_OK;
    return details != nullptr && gst_structure_get_int(details, "flow-return", &flow) && flow == GST_FLOW_NOT_NEGOTIATED;
}

bool link(GstPad *source, GstElement *element, GstPad **next) {
    GstPad *sink = gst_element_get_static_pad(element, "sink");
    bool linked = sink != nullptr && gst_pad_link(source, sink) == GST_PAD_LINK_OK;
    if (sink != nullptr) gst_object_unref(sink);
    *next = gst_element_get_static_pad(element, "src");
    return linked && *next != nullptr;
}

} // namespace

FilterGraph::FilterGraph()
    : pipeline_(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)))),
      eventsWaiting_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    GstBus *bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, onMessage, this, nullptr);
    gst_object_unref(bus);
}

// Nobody reads the pipeline's messages later: kept, they would pile up for
// as long as the graph lives. What matters to the owner becomes an event
// here, on the thread that posted it, and the message is dropped, which
// makes it ours to unreference.
GstBusSyncReply FilterGraph::onMessage(GstBus *, GstMessage *message, gpointer self) {
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError *error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        Event event{EC_ERRORABORT, E_FAIL, 0};
        if (deviceLost(error))
            event = Event{EC_DEVICE_LOST, 0, 0};
        else if (formatNotNegotiated(message, error))
            event.first = VFW_E_TYPE_NOT_ACCEPTED;
        if (error != nullptr) g_error_free(error);
        static_cast<FilterGraph *>(self)->queueEvent(event);
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void FilterGraph::queueEvent(Event event) {
    std::lock_guard<std::mutex> lock(eventsMutex_);
    events_.push_back(event);
    SetEvent(eventsWaiting_);
}

HRESULT FilterGraph::GetEventHandle(OAEVENT *event) {
    if (event == nullptr) return E_POINTER;
    *event = reinterpret_cast<OAEVENT>(eventsWaiting_);
    return eventsWaiting_ != nullptr ? S_OK : E_FAIL;
}

HRESULT FilterGraph::GetEvent(LONG *code, LONG_PTR *first, LONG_PTR *second, LONG msTimeout) {
    if (code == nullptr || first == nullptr || second == nullptr) return E_POINTER;
    if (eventsWaiting_ == nullptr) return E_ABORT;
    DWORD patience = msTimeout < 0 ? INFINITE : DWORD(msTimeout);
    if (WaitForSingleObject(eventsWaiting_, patience) != WAIT_OBJECT_0) return E_ABORT;
    std::lock_guard<std::mutex> lock(eventsMutex_);
    if (events_.empty()) return E_ABORT;
    *code = events_.front().code;
    *first = events_.front().first;
    *second = events_.front().second;
    events_.pop_front();
    if (events_.empty()) ResetEvent(eventsWaiting_);
    return S_OK;
}

// Streaming ends before any filter goes, and the preview window only
// after every sink has let it go.
FilterGraph::~FilterGraph() {
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    for (IBaseFilter *filter : filters_) filter->Release();
    GstBus *bus = gst_element_get_bus(pipeline_);
    gst_bus_set_flushing(bus, TRUE);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline_);
    renderer_.reset();
    if (eventsWaiting_ != nullptr) CloseHandle(eventsWaiting_);
}

HRESULT FilterGraph::QueryInterface(REFIID riid, void **out) {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
        return answer(static_cast<IGraphBuilder *>(this), out);
    if (riid == IID_IMediaControl) return answer(static_cast<IMediaControl *>(this), out);
    if (riid == IID_IMediaEvent) return answer(static_cast<IMediaEvent *>(this), out);
    if (riid == IID_IVideoWindow) return answer(static_cast<IVideoWindow *>(this), out);
    return refuse(out);
}

HRESULT FilterGraph::AddFilter(IBaseFilter *filter, LPCWSTR) {
    if (filter == nullptr) return E_POINTER;
    GstElement *element = elementOf(filter);
    if (element == nullptr || !gst_bin_add(GST_BIN(pipeline_), element)) return E_INVALIDARG;
    filter->AddRef();
    std::lock_guard<std::mutex> lock(mutex_);
    filters_.push_back(filter);
    return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters **filters) {
    if (filters == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    for (IBaseFilter *filter : filters_) filter->AddRef();
    *filters = new media::Enumerator<IEnumFilters, IBaseFilter>(IID_IEnumFilters, filters_);
    return S_OK;
}

bool FilterGraph::holds(GstPad *pad) {
    GstElement *element = gst_pad_get_parent_element(pad);
    if (element == nullptr) return false;
    bool held = GST_OBJECT_PARENT(element) == GST_OBJECT(pipeline_);
    gst_object_unref(element);
    return held;
}

// Devices report what they can send only once open, at READY.
HRESULT FilterGraph::Connect(IPin *out, IPin *in) {
    if (out == nullptr || in == nullptr) return E_POINTER;
    GstPad *source = padOf(out);
    GstPad *sink = padOf(in);
    if (source == nullptr || sink == nullptr || !GST_PAD_IS_SRC(source) || !GST_PAD_IS_SINK(sink) ||
        gst_pad_is_linked(source) || gst_pad_is_linked(sink) || !holds(source) || !holds(sink))
        return VFW_E_CANNOT_CONNECT;
    if (gst_element_set_state(pipeline_, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) return VFW_E_CANNOT_CONNECT;

    GstCaps *offered = modesOffered(source);
    GstCaps *wanted = gst_pad_query_caps(sink, nullptr);
    std::vector<IBaseFilter *> bridge;
    bool bridged = bridgeFilters(offered, wanted, &bridge);
    gst_caps_unref(offered);
    gst_caps_unref(wanted);
    if (!bridged) return VFW_E_CANNOT_CONNECT;

    bool linked = true;
    GstPad *upstream = GST_PAD(gst_object_ref(source));
    for (IBaseFilter *filter : bridge) {
        GstElement *element = elementOf(filter);
        gst_bin_add(GST_BIN(pipeline_), element);
        GstPad *next = nullptr;
        linked = linked && link(upstream, element, &next);
        gst_object_unref(upstream);
        upstream = next != nullptr ? next : GST_PAD(gst_object_ref(source));
    }
    linked = linked && gst_pad_link(upstream, sink) == GST_PAD_LINK_OK;
    gst_object_unref(upstream);

    if (!linked) {
        // Removing an element unlinks its pads, so the device and the
        // grabber are left as they were.
        for (IBaseFilter *filter : bridge) {
            gst_bin_remove(GST_BIN(pipeline_), elementOf(filter));
            filter->Release();
        }
        return VFW_E_CANNOT_CONNECT;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    for (IBaseFilter *filter : bridge) {
        gst_element_sync_state_with_parent(elementOf(filter));
        filters_.push_back(filter);
    }
    return S_OK;
}

HRESULT FilterGraph::Render(IPin *out) {
    if (out == nullptr) return E_POINTER;
    GstPad *source = padOf(out);
    if (source == nullptr || !GST_PAD_IS_SRC(source) || gst_pad_is_linked(source) || !holds(source))
        return VFW_E_CANNOT_RENDER;
    std::lock_guard<std::mutex> lock(mutex_);
    if (renderer_ != nullptr) return VFW_E_CANNOT_RENDER;
    std::unique_ptr<VideoRenderer> renderer = VideoRenderer::create();
    GstElement *element = renderer->element();
    gst_bin_add(GST_BIN(pipeline_), element);
    GstPad *input = gst_element_get_static_pad(element, "sink");
    bool linked = gst_pad_link(source, input) == GST_PAD_LINK_OK;
    gst_object_unref(input);
    if (!linked) {
        gst_bin_remove(GST_BIN(pipeline_), element);
        return VFW_E_CANNOT_RENDER;
    }
    renderer->apply(window_);
    gst_element_sync_state_with_parent(element);
    filters_.push_back(newElementFilter(element));
    renderer_ = std::move(renderer);
    return S_OK;
}

HRESULT FilterGraph::changeState(GstState state) {
    return gst_element_set_state(pipeline_, state) == GST_STATE_CHANGE_FAILURE ? E_FAIL : S_OK;
}

// As the framework's renderer does, a window set to show itself appears
// when the graph runs.
HRESULT FilterGraph::Run() {
    changeWindow([](WindowSettings &window) {
        if (window.autoShow) window.visible = true;
    });
    return changeState(GST_STATE_PLAYING);
}

HRESULT FilterGraph::Pause() { return changeState(GST_STATE_PAUSED); }

HRESULT FilterGraph::Stop() { return changeState(GST_STATE_READY); }

template <class Change>
HRESULT FilterGraph::changeWindow(Change change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change(window_);
    if (renderer_ != nullptr) renderer_->apply(window_);
    return S_OK;
}

HRESULT FilterGraph::put_WindowStyle(LONG style) {
    return changeWindow([style](WindowSettings &window) { window.style = style; });
}

HRESULT FilterGraph::put_AutoShow(LONG autoShow) {
    return changeWindow([autoShow](WindowSettings &window) { window.autoShow = autoShow != OAFALSE; });
}

HRESULT FilterGraph::put_Visible(LONG visible) {
    return changeWindow([visible](WindowSettings &window) { window.visible = visible != OAFALSE; });
}

HRESULT FilterGraph::put_Left(LONG left) {
    return changeWindow([left](WindowSettings &window) { window.left = left; });
}

HRESULT FilterGraph::put_Top(LONG top) {
    return changeWindow([top](WindowSettings &window) { window.top = top; });
}

HRESULT FilterGraph::put_Width(LONG width) {
    return changeWindow([width](WindowSettings &window) { window.width = width; });
}

HRESULT FilterGraph::put_Height(LONG height) {
    return changeWindow([height](WindowSettings &window) { window.height = height; });
}

HRESULT FilterGraph::put_Owner(OAHWND owner) {
    return changeWindow([owner](WindowSettings &window) { window.owner = owner; });
}

HRESULT FilterGraph::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    return changeWindow([=](WindowSettings &window) {
        window.left = left;
        window.top = top;
        window.width = width;
        window.height = height;
    });
}

} // namespace gstbackend
