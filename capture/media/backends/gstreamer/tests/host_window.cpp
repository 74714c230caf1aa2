#include "host_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace livetest {

std::unique_ptr<HostWindow> HostWindow::open(int width, int height, uint32_t colour) {
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width),
                                        unsigned(height), 0, colour, colour);
    XMapWindow(display, window);
    XSync(display, False);
    return std::unique_ptr<HostWindow>(new HostWindow(display, window));
}

HostWindow::~HostWindow() {
    destroy();
    XCloseDisplay(display_);
}

uint32_t HostWindow::pixelAt(int x, int y) {
    XImage *image = XGetImage(display_, window_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFFu;
    uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return pixel;
}

void HostWindow::destroy() {
    if (window_ == 0) return;
    XDestroyWindow(display_, window_);
    XSync(display_, False);
    window_ = 0;
}

} // namespace livetest
