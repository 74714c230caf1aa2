// The filter graph: it joins the device to the grabber, renders the
// grabber's output, answers for the renderer's window and, while running,
// streams the queued frames to the grabber's callback on a thread of its
// own. Giving back its last reference stops the stream.
#include "test_objects.h"
#include "win32_threads.h"


namespace testplatform {
namespace {

PinRole roleOf(IPin *pin) { return static_cast<Pin *>(pin)->role(); }

std::string narrow(LPCWSTR name) {
    std::string text;
    for (; name != nullptr && *name != 0; ++name) text += static_cast<char>(*name);
    return text;
}

HRESULT logWindowCall(const std::string &call, LONG_PTR value) {
    record(call + " " + std::to_string(value));
    return S_OK;
}

} // namespace

FilterGraph::FilterGraph() : CountedObject("FilterGraph") {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().eventsWaiting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

FilterGraph::~FilterGraph() {
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        quitting_ = true;
        CloseHandle(state().eventsWaiting);
        state().eventsWaiting = nullptr;
    }
    state().changed.notify_all();
    if (streamer_.joinable()) streamer_.join();
    for (IBaseFilter *filter : filters_) filter->Release();
}

HRESULT FilterGraph::QueryInterface(REFIID riid, void **out) {
    if (riid == IID_IUnknown || riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
        return answer(static_cast<IGraphBuilder *>(this), out);
    if (riid == IID_IMediaControl && !failing(Step::MediaControl))
        return answer(static_cast<IMediaControl *>(this), out);
    if (riid == IID_IMediaEvent) return answer(static_cast<IMediaEvent *>(this), out);
    if (riid == IID_IVideoWindow && !failing(Step::VideoWindow)) return answer(static_cast<IVideoWindow *>(this), out);
    return refuse(out);
}

void FilterGraph::addToGraph(IBaseFilter *filter) {
    std::lock_guard<std::mutex> lock(state().mutex);
    filters_.push_back(filter);
}

HRESULT FilterGraph::AddFilter(IBaseFilter *filter, LPCWSTR name) {
    record("AddFilter " + narrow(name));
    if (filter == nullptr) return E_POINTER;
    if (failing(Step::AddFilter)) return E_FAIL;
    filter->AddRef();
    addToGraph(filter);
    return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters **filters) {
    std::lock_guard<std::mutex> lock(state().mutex);
    for (IBaseFilter *filter : filters_) filter->AddRef();
    *filters = new Enumerator<IEnumFilters, IBaseFilter>(IID_IEnumFilters, filters_);
    return S_OK;
}

// Joining the device to the grabber inserts the DV decoder the script has.
HRESULT FilterGraph::Connect(IPin *out, IPin *in) {
    record("Connect");
    if (out == nullptr || in == nullptr) return E_POINTER;
    if (failing(Step::Connect) || roleOf(out) != PinRole::DeviceOutput || roleOf(in) != PinRole::GrabberInput)
        return VFW_E_CANNOT_CONNECT;
    if (currentScript().hasDvDecoder) addToGraph(newDvDecoder());
    return S_OK;
}

HRESULT FilterGraph::Render(IPin *out) {
    checkpoint(Hold::Render);
    record("Render");
    if (out == nullptr) return E_POINTER;
    if (failing(Step::Render) || roleOf(out) != PinRole::GrabberOutput) return VFW_E_CANNOT_RENDER;
    addToGraph(newVideoRenderer());
    return S_OK;
}

HRESULT FilterGraph::Run() {
    record("Run");
    if (failing(Step::Run)) return E_FAIL;
    std::lock_guard<std::mutex> lock(state().mutex);
    running_ = true;
    if (!streamer_.joinable()) streamer_ = std::thread(&FilterGraph::stream, this);
    state().changed.notify_all();
    return S_OK;
}

HRESULT FilterGraph::Pause() {
    record("Pause");
    if (failing(Step::Pause)) return E_FAIL;
    std::lock_guard<std::mutex> lock(state().mutex);
    running_ = false;
    return S_OK;
}

HRESULT FilterGraph::Stop() {
    record("Stop");
    if (failing(Step::Stop)) return E_FAIL;
    std::lock_guard<std::mutex> lock(state().mutex);
    running_ = false;
    return S_OK;
}

HRESULT FilterGraph::GetEventHandle(OAEVENT *event) {
    std::lock_guard<std::mutex> lock(state().mutex);
    *event = reinterpret_cast<OAEVENT>(state().eventsWaiting);
    return S_OK;
}

// Events are only taken as they are, never waited for.
HRESULT FilterGraph::GetEvent(LONG *code, LONG_PTR *first, LONG_PTR *second, LONG) {
    std::lock_guard<std::mutex> lock(state().mutex);
    if (state().events.empty()) return E_ABORT;
    *code = state().events.front().code;
    *first = state().events.front().first;
    *second = state().events.front().second;
    state().events.pop_front();
    if (state().events.empty()) ResetEvent(state().eventsWaiting);
    return S_OK;
}

HRESULT FilterGraph::FreeEventParams(LONG code, LONG_PTR, LONG_PTR) {
    record("FreeEventParams " + std::to_string(code));
    return S_OK;
}

// The streaming thread: one queued frame at a time while the graph runs,
// handed to the grabber's callback outside the platform's lock.
void FilterGraph::stream() {
    PlatformState &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        s.changed.wait(lock, [&] { return quitting_ || (running_ && !s.frames.empty()); });
        if (quitting_) return;
        Frame frame = std::move(s.frames.front());
        s.frames.pop_front();
        ISampleGrabberCB *callback = s.callback;
        lock.unlock();
        if (callback != nullptr)
            callback->BufferCB(frame.sampleTime, frame.bytes.data(), static_cast<LONG>(frame.bytes.size()));
        lock.lock();
        ++s.delivered;
        s.changed.notify_all();
    }
}

HRESULT FilterGraph::put_WindowStyle(LONG style) { return logWindowCall("put_WindowStyle", style); }
HRESULT FilterGraph::put_AutoShow(LONG autoShow) { return logWindowCall("put_AutoShow", autoShow); }
HRESULT FilterGraph::put_Visible(LONG visible) {
    if (visible == OAFALSE) checkpoint(Hold::HideWindow);
    return logWindowCall("put_Visible", visible);
}
HRESULT FilterGraph::put_Left(LONG left) { return logWindowCall("put_Left", left); }
HRESULT FilterGraph::put_Top(LONG top) { return logWindowCall("put_Top", top); }
HRESULT FilterGraph::put_Width(LONG width) { return logWindowCall("put_Width", width); }
HRESULT FilterGraph::put_Height(LONG height) { return logWindowCall("put_Height", height); }
HRESULT FilterGraph::put_Owner(OAHWND owner) { return logWindowCall("put_Owner", owner); }

} // namespace testplatform
