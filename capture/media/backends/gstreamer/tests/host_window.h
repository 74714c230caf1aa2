// A host's main window on the X server that DISPLAY names: a mapped
// top-level window of one colour, whose pixels a test reads back.
#ifndef CAPTURE_GSTREAMER_TESTS_HOST_WINDOW_H
#define CAPTURE_GSTREAMER_TESTS_HOST_WINDOW_H

#include <cstdint>
#include <memory>

typedef struct _XDisplay Display;

namespace livetest {

class HostWindow {
public:
    // Null when no display can be opened.
    static std::unique_ptr<HostWindow> open(int width, int height, uint32_t colour);
    ~HostWindow();
    HostWindow(const HostWindow &) = delete;
    HostWindow &operator=(const HostWindow &) = delete;

    unsigned long id() const { return window_; }
    // 0xRRGGBB of what the screen shows there, children included.
    uint32_t pixelAt(int x, int y);
    // As a host that closes its window while the preview is inside it.
    void destroy();

private:
    HostWindow(Display *display, unsigned long window) : display_(display), window_(window) {}
    Display *const display_;
    unsigned long window_;
};

} // namespace livetest

#endif
