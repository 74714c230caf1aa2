// The preview's own X11 window: a child of the owner's window at the
// requested rectangle, clamped to what the protocol can carry, or an
// unmapped window of the root while there is no owner. It talks to the
// server over an XCB connection of its own, so the errors of its requests
// come back to that connection alone and never reach the process's Xlib
// error handler, which stays the host's. Any thread; calls are serialised
// where they share state.
#ifndef CAPTURE_GSTREAMER_PREVIEW_WINDOW_H
#define CAPTURE_GSTREAMER_PREVIEW_WINDOW_H

#include "window_settings.h"

#include <gst/video/video.h>
#include <xcb/xcb.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace gstbackend {

// The window's size and the part of it that can be seen, in its own
// coordinates.
struct PreviewArea {
    int width = 0, height = 0;
    int left = 0, top = 0, visibleWidth = 0, visibleHeight = 0;
};

class PreviewWindow {
public:
    // Null when no display can be opened.
    static std::unique_ptr<PreviewWindow> open();
    ~PreviewWindow();
    PreviewWindow(const PreviewWindow &) = delete;
    PreviewWindow &operator=(const PreviewWindow &) = delete;

    // Places, sizes, shows or hides the window as the settings say. A
    // rectangle without area hides it.
    void apply(const WindowSettings &settings);

    // The layout of the images draw takes, or GST_VIDEO_FORMAT_UNKNOWN on
    // a screen whose pixels we do not write.
    GstVideoFormat pixelFormat() const { return format_; }
    // What of the window shows now on the screen and inside its parent;
    // false when nothing does, or the server did not tell within a moment.
    bool visibleArea(PreviewArea *area);
    // Puts an image of the area's visible size into that part of the
    // window; rows are stride bytes apart.
    void draw(const PreviewArea &area, const uint8_t *pixels, int stride);
    // Drops what the server sent, errors included; true when part of the
    // window was exposed and wants painting again.
    bool takeEvents();

private:
    PreviewWindow(xcb_connection_t *connection, const xcb_screen_t &screen, GstVideoFormat format);
    void drainEvents();

    xcb_connection_t *const connection_;
    const xcb_window_t root_;
    const int screenWidth_, screenHeight_;
    const uint8_t depth_;
    const uint64_t maxRequestBytes_;
    const GstVideoFormat format_;
    const xcb_window_t window_;
    const xcb_gcontext_t gc_;
    std::atomic<bool> exposed_{false};

    std::mutex mutex_; // guards the members below
    xcb_window_t parent_;
    bool mapped_ = false;
    int left_ = 0, top_ = 0, width_ = 1, height_ = 1; // as the server holds them
};

} // namespace gstbackend

#endif
