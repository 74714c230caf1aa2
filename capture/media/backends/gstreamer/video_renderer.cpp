#include "video_renderer.h"

namespace gstbackend {

// Frames are handed on as they come, never waiting for a clock or a
// preroll; with no painter to take them, the sink keeps only the newest.
std::unique_ptr<VideoRenderer> VideoRenderer::create() {
    std::unique_ptr<PreviewWindow> window = PreviewWindow::open();
    GstElement *sink = window != nullptr ? gst_element_factory_make("appsink", nullptr) : nullptr;
    if (sink != nullptr) {
        g_object_set(sink, "max-buffers", 1u, "drop", TRUE, "enable-last-sample", FALSE, nullptr);
    } else {
        window.reset();
        sink = gst_element_factory_make("fakesink", nullptr);
    }
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    return std::unique_ptr<VideoRenderer>(new VideoRenderer(GST_ELEMENT(gst_object_ref_sink(sink)), std::move(window)));
}

VideoRenderer::VideoRenderer(GstElement *sink, std::unique_ptr<PreviewWindow> window)
    : sink_(sink), window_(std::move(window)) {
    if (window_ != nullptr) painter_.reset(new PreviewPainter(*window_, GST_APP_SINK(sink_)));
}

// The graph has taken the sink to NULL before, so no frame arrives any
// more; the painter ends before the sink and the window it uses go.
VideoRenderer::~VideoRenderer() {
    painter_.reset();
    gst_object_unref(sink_);
}

void VideoRenderer::apply(const WindowSettings &settings) {
    if (window_ != nullptr) window_->apply(settings);
}

} // namespace gstbackend
