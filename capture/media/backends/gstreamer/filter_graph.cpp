#include "filter_graph.h"

#include "element_filter.h"
#include "format_bridge.h"
#include "media_types.h"

namespace gstbackend {
namespace {

// Nobody reads the pipeline's messages; kept, they would pile up for as
// long as the graph lives. A message dropped here is ours to unreference.
GstBusSyncReply dropMessage(GstBus *, GstMessage *message, gpointer) {
    gst_message_unref(message);
    return GST_BUS_DROP;
}

bool link(GstPad *source, GstElement *element, GstPad **next) {
    GstPad *sink = gst_element_get_static_pad(element, "sink");
    bool linked = sink != nullptr && gst_pad_link(source, sink) == GST_PAD_LINK_OK;
    if (sink != nullptr) gst_object_unref(sink);
    *next = gst_element_get_static_pad(element, "src");
    return linked && *next != nullptr;
}

} // namespace

FilterGraph::FilterGraph() : pipeline_(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)))) {
    GstBus *bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, dropMessage, nullptr, nullptr);
    gst_object_unref(bus);
}

// Streaming ends before any filter goes, and the preview window only
// after every sink has let it go.
FilterGraph::~FilterGraph() {
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    for (IBaseFilter *filter : filters_) filter->Release();
    gst_object_unref(pipeline_);
    renderer_.reset();
}

HRESULT FilterGraph::QueryInterface(REFIID riid, void **out) {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
        return answer(static_cast<IGraphBuilder *>(this), out);
    if (riid == IID_IMediaControl) return answer(static_cast<IMediaControl *>(this), out);
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

    GstCaps *offered = gst_pad_query_caps(source, nullptr);
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
