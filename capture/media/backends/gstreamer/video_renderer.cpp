#include "video_renderer.h"

#include <gst/video/videooverlay.h>

#include <algorithm>

namespace gstbackend {
namespace {

// A sink is tried out as far as READY, where it opens its display and
// port, and left at NULL again whatever the outcome: a sink that later
// changes state behind the graph's back would touch windows long gone.
GstElement *workingSink(const char *factory) {
    GstElement *sink = gst_element_factory_make(factory, nullptr);
    if (sink == nullptr) return nullptr;
    gst_object_ref_sink(sink);
    bool works = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(sink, GST_STATE_NULL);
    if (works) return sink;
    gst_object_unref(sink);
    return nullptr;
}

GstElement *binOf(std::initializer_list<GstElement *> chain) {
    GstElement *bin = gst_bin_new(nullptr);
    GstElement *previous = nullptr;
    for (GstElement *element : chain) {
        gst_bin_add(GST_BIN(bin), element);
        if (previous != nullptr) gst_element_link(previous, element);
        previous = element;
    }
    GstPad *input = gst_element_get_static_pad(*chain.begin(), "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
    gst_object_unref(input);
    return GST_ELEMENT(gst_object_ref_sink(bin));
}

} // namespace

std::unique_ptr<VideoRenderer> VideoRenderer::create() {
    std::unique_ptr<PreviewWindow> window = PreviewWindow::open();
    GstElement *sink = nullptr;
    bool scales = true;
    if (window != nullptr) {
        sink = workingSink("xvimagesink");
        if (sink == nullptr) {
            sink = workingSink("ximagesink");
            scales = false;
        }
        if (sink == nullptr) window.reset();
    }
    if (sink == nullptr) {
        GstElement *blind = gst_element_factory_make("fakesink", nullptr);
        g_object_set(blind, "sync", FALSE, "async", FALSE, nullptr);
        GstElement *bin = binOf({blind});
        return std::unique_ptr<VideoRenderer>(new VideoRenderer(bin, nullptr, nullptr));
    }

    g_object_set(sink, "force-aspect-ratio", FALSE, nullptr);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), window->handle());
    if (scales) {
        GstElement *bin = binOf({gst_element_factory_make("videoconvert", nullptr), sink});
        gst_object_unref(sink);
        return std::unique_ptr<VideoRenderer>(new VideoRenderer(bin, std::move(window), nullptr));
    }
    // The picture fills the rectangle, stretched as need be, as it would
    // in a sink that scales.
    GstElement *scaler = gst_element_factory_make("videoscale", nullptr);
    g_object_set(scaler, "add-borders", FALSE, nullptr);
    GstElement *scaledSize = gst_element_factory_make("capsfilter", nullptr);
    GstElement *bin = binOf({gst_element_factory_make("videoconvert", nullptr), scaler, scaledSize, sink});
    gst_object_unref(sink);
    return std::unique_ptr<VideoRenderer>(new VideoRenderer(bin, std::move(window), scaledSize));
}

VideoRenderer::VideoRenderer(GstElement *bin, std::unique_ptr<PreviewWindow> window, GstElement *scaledSize)
    : bin_(bin), window_(std::move(window)), scaledSize_(scaledSize) {}

// The graph has taken the bin to NULL before, so no sink draws any more.
VideoRenderer::~VideoRenderer() { gst_object_unref(bin_); }

// Left to itself the scaler would aim at the window's size, 1 x 1 while
// there is no rectangle, and GStreamer's scaler fails on interlaced video
// of a single row: pictures are never scaled below a few pixels; the
// window shows their middle.
void VideoRenderer::apply(const WindowSettings &settings) {
    if (window_ == nullptr) return;
    window_->apply(settings);
    constexpr LONG kSmallestSide = 16;
    const LONG width = std::max(settings.width, kSmallestSide), height = std::max(settings.height, kSmallestSide);
    if (scaledSize_ == nullptr || (width == scaledWidth_ && height == scaledHeight_)) return;
    GstCaps *caps =
        gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, int(width), "height", G_TYPE_INT, int(height), nullptr);
    g_object_set(scaledSize_, "caps", caps, nullptr);
    gst_caps_unref(caps);
    scaledWidth_ = width;
    scaledHeight_ = height;
}

} // namespace gstbackend
