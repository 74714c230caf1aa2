// The preview's own X11 window: the sink draws into it, and it is a child
// of the owner's window at the requested rectangle, or an unmapped window
// of the root while there is no owner, so that no sink ever opens a
// window of its own. It talks to the server over its own connection.
// Any thread; calls are serialised.
#ifndef CAPTURE_GSTREAMER_PREVIEW_WINDOW_H
#define CAPTURE_GSTREAMER_PREVIEW_WINDOW_H

#include "window_settings.h"

#include <memory>
#include <mutex>

typedef struct _XDisplay Display;

namespace gstbackend {

class PreviewWindow {
public:
    // Null when no display can be opened.
    static std::unique_ptr<PreviewWindow> open();
    ~PreviewWindow();
    PreviewWindow(const PreviewWindow &) = delete;
    PreviewWindow &operator=(const PreviewWindow &) = delete;

    unsigned long handle() const { return window_; }
    // Places, sizes, shows or hides the window as the settings say. A
    // rectangle without area hides it.
    void apply(const WindowSettings &settings);

private:
    PreviewWindow(Display *display, unsigned long window);

    std::mutex mutex_;
    Display *const display_;
    const unsigned long window_;
    unsigned long parent_;
    bool mapped_ = false;
};

} // namespace gstbackend

#endif
