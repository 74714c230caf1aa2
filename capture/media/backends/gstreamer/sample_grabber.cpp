#include "sample_grabber.h"

#include <chrono>
#include <cstring>

namespace gstbackend {
namespace {

// How long an answer waits for frames of a size on its way: a few frame
// times, far more than a renegotiation takes.
constexpr std::chrono::seconds kNewSizePatience{2};

bool playing(GstElement *element) {
    GstState state = GST_STATE_NULL;
    gst_element_get_state(element, &state, nullptr, 0);
    return state == GST_STATE_PLAYING;
}

} // namespace

SampleGrabber::SampleGrabber() : ElementFilter(gst_bin_new(nullptr)) {
    gst_video_info_init(&info_);
    gst_segment_init(&segment_, GST_FORMAT_TIME);
    filter_ = gst_element_factory_make("capsfilter", nullptr);
    GstCaps *caps = newRgb24Caps();
    g_object_set(filter_, "caps", caps, nullptr);
    gst_caps_unref(caps);
    gst_bin_add(GST_BIN(element_), filter_);

    GstPad *sink = gst_element_get_static_pad(filter_, "sink");
    input_ = gst_ghost_pad_new("sink", sink);
    gst_object_unref(sink);
    gst_element_add_pad(element_, input_);
    GstPad *source = gst_element_get_static_pad(filter_, "src");
    gst_element_add_pad(element_, gst_ghost_pad_new("src", source));
    gst_pad_add_probe(source, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM), onData,
                      this, nullptr);
    gst_object_unref(source);
}

// The graph has stopped streaming before it lets its filters go.
SampleGrabber::~SampleGrabber() {
    if (callback_ != nullptr) callback_->Release();
}

HRESULT SampleGrabber::queryExtra(REFIID riid, void **out) {
    if (riid == IID_ISampleGrabber) return answer(static_cast<ISampleGrabber *>(this), out);
    return refuse(out);
}

HRESULT SampleGrabber::SetOneShot(BOOL oneShot) { return oneShot ? E_NOTIMPL : S_OK; }

HRESULT SampleGrabber::SetBufferSamples(BOOL) { return S_OK; }

HRESULT SampleGrabber::SetMediaType(const AM_MEDIA_TYPE *type) {
    if (type == nullptr) return E_POINTER;
    return isRgb24Request(*type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT SampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE *type) {
    if (type == nullptr) return E_POINTER;
    if (!gst_pad_is_linked(input_)) return VFW_E_NOT_CONNECTED;
    GstCaps *wanted = newRgb24Caps();
    GstCaps *upstream = gst_pad_peer_query_caps(input_, wanted);
    GstCaps *current = gst_pad_get_current_caps(input_);
    gst_caps_unref(wanted);

    VideoSize size;
    const bool negotiated = current != nullptr;
    if (negotiated && (gst_caps_is_empty(upstream) || gst_caps_can_intersect(current, upstream))) {
        size = videoSizeOf(current);
    } else {
        // Open ranges would be a guess, which the frames need not follow.
        size = oneSizeOf(upstream);
    }
    if (current != nullptr) gst_caps_unref(current);
    gst_caps_unref(upstream);
    if (size.width <= 0 || size.height <= 0) return VFW_E_NOT_CONNECTED;

    // A buffer sized by this answer is then filled by no frame of the old
    // size still in flight.
    if (negotiated && playing(element_)) awaitFramesOfSize(size);
    return describeConnectedRgb24(size, type);
}

// Frames go on all the while; a size whose frames never come is answered
// all the same once the wait is over.
void SampleGrabber::awaitFramesOfSize(const VideoSize &size) {
    std::unique_lock<std::mutex> lock(sizeMutex_);
    sizeSeen_.wait_for(lock, kNewSizePatience, [&] { return seen_ == size; });
}

// Once it has answered, no call of the previous callback runs any more and
// none begins, so its owner may let its code go.
HRESULT SampleGrabber::SetCallback(ISampleGrabberCB *callback, LONG whichMethod) {
    if (callback != nullptr && whichMethod != 1) return E_NOTIMPL;
    if (callback != nullptr) callback->AddRef();
    ISampleGrabberCB *previous;
    {
        std::lock_guard<std::mutex> lock(callbackMutex_);
        previous = callback_;
        callback_ = callback;
    }
    if (previous != nullptr) previous->Release();
    return S_OK;
}

GstPadProbeReturn SampleGrabber::onData(GstPad *, GstPadProbeInfo *info, gpointer self) {
    auto *grabber = static_cast<SampleGrabber *>(self);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        grabber->deliver(GST_PAD_PROBE_INFO_BUFFER(info));
        return GST_PAD_PROBE_OK;
    }
    GstEvent *event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps *caps = nullptr;
        gst_event_parse_caps(event, &caps);
        grabber->takeCaps(caps);
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment *segment = nullptr;
        gst_event_parse_segment(event, &segment);
        if (segment->format == GST_FORMAT_TIME) gst_segment_copy_into(segment, &grabber->segment_);
    }
    return GST_PAD_PROBE_OK;
}

// The only place the frame copy grows, so a frame costs no allocation.
void SampleGrabber::takeCaps(GstCaps *caps) {
    haveInfo_ = gst_video_info_from_caps(&info_, caps) && GST_VIDEO_INFO_FORMAT(&info_) == GST_VIDEO_FORMAT_BGR;
    int width = haveInfo_ ? GST_VIDEO_INFO_WIDTH(&info_) : 0;
    int height = haveInfo_ ? GST_VIDEO_INFO_HEIGHT(&info_) : 0;
    frame_.assign(rgb24Stride(width) * size_t(height), 0);
    {
        std::lock_guard<std::mutex> lock(sizeMutex_);
        seen_.width = width;
        seen_.height = height;
    }
    sizeSeen_.notify_all();
}

// A frame laid out as the connected type describes it, in one block of
// memory, goes to the callback as it is, with no copy: the callback copies
// only the frames it keeps. Any other layout is first gathered here.
void SampleGrabber::deliver(GstBuffer *buffer) {
    if (!haveInfo_) return;
    std::lock_guard<std::mutex> lock(callbackMutex_);
    if (callback_ == nullptr) return;
    const int width = GST_VIDEO_INFO_WIDTH(&info_);
    const int height = GST_VIDEO_INFO_HEIGHT(&info_);
    const size_t stride = rgb24Stride(width);
    const size_t bytes = stride * size_t(height);
    const double time = secondsOf(GST_BUFFER_PTS(buffer));
    const GstVideoMeta *meta = gst_buffer_get_video_meta(buffer);
    const bool compact = gst_buffer_n_memory(buffer) == 1 &&
                         (meta == nullptr || (meta->offset[0] == 0 && size_t(meta->stride[0]) == stride));
    GstMapInfo map;
    if (compact && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        if (map.size >= bytes) callback_->BufferCB(time, map.data, LONG(bytes));
        gst_buffer_unmap(buffer, &map);
        return;
    }
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info_, buffer, GST_MAP_READ)) return;
    const size_t rowBytes = size_t(width) * 3;
    const auto *source = static_cast<const uint8_t *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const size_t sourceStride = size_t(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0));
    for (int y = 0; y < height; ++y)
        std::memcpy(frame_.data() + stride * size_t(y), source + sourceStride * size_t(y), rowBytes);
    gst_video_frame_unmap(&frame);
    callback_->BufferCB(time, frame_.data(), LONG(frame_.size()));
}

double SampleGrabber::secondsOf(GstClockTime time) const {
    if (!GST_CLOCK_TIME_IS_VALID(time)) return 0.0;
    GstClockTime running = gst_segment_to_running_time(&segment_, GST_FORMAT_TIME, time);
    if (GST_CLOCK_TIME_IS_VALID(running)) time = running;
    return double(time) / double(GST_SECOND);
}

} // namespace gstbackend
