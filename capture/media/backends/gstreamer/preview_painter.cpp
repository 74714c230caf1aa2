#include "preview_painter.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace gstbackend {
namespace {

bool sameArea(const PreviewArea &a, const PreviewArea &b) {
    return a.width == b.width && a.height == b.height && a.left == b.left && a.top == b.top &&
           a.visibleWidth == b.visibleWidth && a.visibleHeight == b.visibleHeight;
}

// The columns [*from, *from + *count) of a picture of `side` pixels that
// the visible part [visible, visible + visibleSide) of a window `windowSide`
// pixels wide shows when the picture fills it.
void sourceSpan(int64_t side, int64_t windowSide, int64_t visible, int64_t visibleSide, int *from, int *count) {
    const int64_t first = visible * side / windowSide;
    const int64_t end = std::min(side, ((visible + visibleSide) * side + windowSide - 1) / windowSide);
    *from = int(first);
    *count = int(std::max<int64_t>(1, end - first));
}

} // namespace

PreviewPainter::PreviewPainter(PreviewWindow &window, GstAppSink *sink) : window_(window), sink_(sink) {
    gst_video_info_init(&convertedFrom_);
    gst_video_info_init(&imageInfo_);
    if (window.pixelFormat() == GST_VIDEO_FORMAT_UNKNOWN) return;
    GError *error = nullptr;
    thread_ = g_thread_try_new("preview", run, this, &error);
    g_clear_error(&error);
    if (thread_ == nullptr) return;
    GstAppSinkCallbacks callbacks = {};
    callbacks.new_sample = onSample;
    gst_app_sink_set_callbacks(sink_, &callbacks, this, nullptr);
}

// The graph has stopped streaming before, so no sample arrives any more.
PreviewPainter::~PreviewPainter() {
    if (thread_ != nullptr) {
        GstAppSinkCallbacks none = {};
        gst_app_sink_set_callbacks(sink_, &none, nullptr, nullptr);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_one();
        g_thread_join(thread_);
    }
    if (newest_ != nullptr) gst_sample_unref(newest_);
    if (converter_ != nullptr) gst_video_converter_free(converter_);
    if (image_ != nullptr) gst_buffer_unref(image_);
}

// Keeps only the newest frame; one the painter has not reached yet is
// dropped.
GstFlowReturn PreviewPainter::onSample(GstAppSink *sink, gpointer self) {
    auto *painter = static_cast<PreviewPainter *>(self);
    GstSample *sample = gst_app_sink_try_pull_sample(sink, 0);
    if (sample == nullptr) return GST_FLOW_OK;
    GstSample *dropped;
    {
        std::lock_guard<std::mutex> lock(painter->mutex_);
        dropped = std::exchange(painter->newest_, sample);
    }
    painter->changed_.notify_one();
    if (dropped != nullptr) gst_sample_unref(dropped);
    return GST_FLOW_OK;
}

// Wakes for every frame and now and then for the window's events; an
// exposed window gets the last picture again, as a paused stream sends no
// new one.
gpointer PreviewPainter::run(gpointer self) {
    auto *painter = static_cast<PreviewPainter *>(self);
    std::unique_lock<std::mutex> lock(painter->mutex_);
    while (!painter->stopping_) {
        painter->changed_.wait_for(lock, std::chrono::milliseconds(50),
                                   [painter] { return painter->stopping_ || painter->newest_ != nullptr; });
        if (painter->stopping_) break;
        GstSample *sample = std::exchange(painter->newest_, nullptr);
        lock.unlock();
        const bool exposed = painter->window_.takeEvents();
        if (sample != nullptr) {
            painter->paint(sample);
            gst_sample_unref(sample);
        } else if (exposed) {
            painter->repaint();
        }
        lock.lock();
    }
    return nullptr;
}

void PreviewPainter::paint(GstSample *sample) {
    GstCaps *caps = gst_sample_get_caps(sample);
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    GstVideoInfo from;
    PreviewArea area;
    if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&from, caps) || from.width <= 0 ||
        from.height <= 0 || !window_.visibleArea(&area))
        return;
    // Fields woven into one picture are scaled as a picture: a preview
    // needs no better, and a scaler of fields fails on pictures of a row.
    GST_VIDEO_INFO_INTERLACE_MODE(&from) = GST_VIDEO_INTERLACE_MODE_PROGRESSIVE;
    if (!prepareConversion(from, area)) return;
    GstVideoFrame in, out;
    if (!gst_video_frame_map(&in, &from, buffer, GST_MAP_READ)) return;
    const bool converted = gst_video_frame_map(&out, &imageInfo_, image_, GST_MAP_WRITE);
    if (converted) {
        gst_video_converter_frame(converter_, &in, &out);
        gst_video_frame_unmap(&out);
    }
    gst_video_frame_unmap(&in);
    if (converted) drawImage();
}

void PreviewPainter::repaint() {
    PreviewArea area;
    if (image_ != nullptr && window_.visibleArea(&area) && sameArea(area, convertedFor_)) drawImage();
}

void PreviewPainter::drawImage() {
    GstMapInfo map;
    if (!gst_buffer_map(image_, &map, GST_MAP_READ)) return;
    window_.draw(convertedFor_, map.data, GST_VIDEO_INFO_PLANE_STRIDE(&imageInfo_, 0));
    gst_buffer_unmap(image_, &map);
}

// A conversion from the frame's format and size to the visible part of
// the window, made again only when either changes. Its image is
// allocated where failure can be answered: a size too large costs only
// the picture.
bool PreviewPainter::prepareConversion(const GstVideoInfo &from, const PreviewArea &area) {
    if (converter_ != nullptr && gst_video_info_is_equal(&from, &convertedFrom_) && sameArea(area, convertedFor_))
        return true;
    if (converter_ != nullptr) gst_video_converter_free(converter_);
    converter_ = nullptr;
    if (image_ != nullptr) gst_buffer_unref(image_);
    image_ = nullptr;

    GstVideoInfo to;
    if (!gst_video_info_set_format(&to, window_.pixelFormat(), guint(area.visibleWidth), guint(area.visibleHeight)))
        return false;
    // A converter changes pictures, not their timing.
    to.fps_n = from.fps_n;
    to.fps_d = from.fps_d;
    gpointer pixels = g_try_malloc(to.size);
    if (pixels == nullptr) return false;
    image_ = gst_buffer_new_wrapped_full(GstMemoryFlags(0), pixels, to.size, 0, to.size, pixels, g_free);

    int x, y, width, height;
    sourceSpan(from.width, area.width, area.left, area.visibleWidth, &x, &width);
    sourceSpan(from.height, area.height, area.top, area.visibleHeight, &y, &height);
    GstStructure *options = gst_structure_new(
        "GstVideoConverter", GST_VIDEO_CONVERTER_OPT_SRC_X, G_TYPE_INT, x, GST_VIDEO_CONVERTER_OPT_SRC_Y, G_TYPE_INT,
        y, GST_VIDEO_CONVERTER_OPT_SRC_WIDTH, G_TYPE_INT, width, GST_VIDEO_CONVERTER_OPT_SRC_HEIGHT, G_TYPE_INT,
        height, GST_VIDEO_CONVERTER_OPT_RESAMPLER_METHOD, GST_TYPE_VIDEO_RESAMPLER_METHOD,
        GST_VIDEO_RESAMPLER_METHOD_LINEAR, GST_VIDEO_CONVERTER_OPT_DITHER_METHOD, GST_TYPE_VIDEO_DITHER_METHOD,
        GST_VIDEO_DITHER_NONE, nullptr);
    converter_ = gst_video_converter_new(const_cast<GstVideoInfo *>(&from), &to, options);
    if (converter_ == nullptr) {
        gst_buffer_unref(image_);
        image_ = nullptr;
        return false;
    }
    convertedFrom_ = from;
    convertedFor_ = area;
    imageInfo_ = to;
    return true;
}

} // namespace gstbackend
