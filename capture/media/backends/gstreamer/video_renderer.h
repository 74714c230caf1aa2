// Where the grabber's stream ends: the first video sink that works here,
// drawing into a preview window of our own, or, with no display at all, a
// sink that shows nothing, so that a machine without a screen still
// captures. Made and released by the graph, which serialises the calls.
#ifndef CAPTURE_GSTREAMER_VIDEO_RENDERER_H
#define CAPTURE_GSTREAMER_VIDEO_RENDERER_H

#include "preview_window.h"
#include "window_settings.h"

#include <gst/gst.h>

#include <memory>

namespace gstbackend {

class VideoRenderer {
public:
    static std::unique_ptr<VideoRenderer> create();
    ~VideoRenderer();
    VideoRenderer(const VideoRenderer &) = delete;
    VideoRenderer &operator=(const VideoRenderer &) = delete;

    // The renderer's element, with one "sink" pad; the renderer keeps a
    // reference, the caller borrows it.
    GstElement *element() const { return bin_; }
    bool windowed() const { return window_ != nullptr; }
    void apply(const WindowSettings &settings);

private:
    VideoRenderer(GstElement *bin, std::unique_ptr<PreviewWindow> window, GstElement *scaledSize);

    GstElement *const bin_;
    const std::unique_ptr<PreviewWindow> window_;
    GstElement *const scaledSize_; // caps filter before a sink that cannot scale, or null
    LONG scaledWidth_ = 0, scaledHeight_ = 0;
};

} // namespace gstbackend

#endif
