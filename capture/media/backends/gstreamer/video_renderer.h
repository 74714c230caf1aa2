// Where the grabber's stream ends: a sink that takes any video and never
// makes the stream wait, feeding a painter that draws into a preview window
// of our own, or, with no display at all, a sink that shows nothing, so
// that a machine without a screen still captures. Nothing the preview
// does can refuse or hold up a frame on its way to the grabber's callback.
// Made and released by the graph, which serialises the calls.
#ifndef CAPTURE_GSTREAMER_VIDEO_RENDERER_H
#define CAPTURE_GSTREAMER_VIDEO_RENDERER_H

#include "preview_painter.h"
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
    GstElement *element() const { return sink_; }
    void apply(const WindowSettings &settings);

private:
    VideoRenderer(GstElement *sink, std::unique_ptr<PreviewWindow> window);

    GstElement *const sink_;
    const std::unique_ptr<PreviewWindow> window_;
    std::unique_ptr<PreviewPainter> painter_;
};

} // namespace gstbackend

#endif
