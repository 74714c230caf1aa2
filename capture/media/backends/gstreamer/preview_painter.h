// Paints the newest frame that reached the preview's sink into the
// preview window, on a thread of its own: converted and scaled to the
// window's size, and only the part of it that can be seen. Whatever
// fails here (a size that cannot be allocated, a format that cannot be
// converted, a window gone) costs only the preview; the sink hands over
// frames without ever waiting, so the stream never notices.
#ifndef CAPTURE_GSTREAMER_PREVIEW_PAINTER_H
#define CAPTURE_GSTREAMER_PREVIEW_PAINTER_H

#include "preview_window.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <condition_variable>
#include <mutex>

namespace gstbackend {

class PreviewPainter {
public:
    // Starts painting what the sink receives into the window; both must
    // outlive the painter. Without a thread of its own, nothing is painted.
    PreviewPainter(PreviewWindow &window, GstAppSink *sink);
    // Waits until the thread has ended.
    ~PreviewPainter();
    PreviewPainter(const PreviewPainter &) = delete;
    PreviewPainter &operator=(const PreviewPainter &) = delete;

private:
    // Streaming thread.
    static GstFlowReturn onSample(GstAppSink *sink, gpointer self);
    // The painter's thread.
    static gpointer run(gpointer self);
    void paint(GstSample *sample);
    // The last picture again, when the window still shows the same part.
    void repaint();
    void drawImage();
    bool prepareConversion(const GstVideoInfo &from, const PreviewArea &area);

    PreviewWindow &window_;
    GstAppSink *const sink_;

    std::mutex mutex_; // guards the members below
    std::condition_variable changed_;
    GstSample *newest_ = nullptr; // not painted yet
    bool stopping_ = false;

    GThread *thread_ = nullptr;

    // The painter's thread only: the conversion of the last painted size.
    GstVideoConverter *converter_ = nullptr;
    GstVideoInfo convertedFrom_;
    PreviewArea convertedFor_;
    GstBuffer *image_ = nullptr; // the visible part, in the window's format
    GstVideoInfo imageInfo_;
};

} // namespace gstbackend

#endif
