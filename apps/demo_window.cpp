#include "demo_window.h"

#include <X11/Xlib.h>

namespace demo {

std::unique_ptr<DemoWindow> DemoWindow::open(int width, int height, const std::string &title) {
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    const unsigned long background = 0x202428;
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width), unsigned(height),
                                        0, background, background);
    std::unique_ptr<DemoWindow> demoWindow(new DemoWindow(display, window));
    demoWindow->setTitle(title);
    XMapWindow(display, window);
    XSync(display, False);
    return demoWindow;
}

DemoWindow::~DemoWindow() {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

void DemoWindow::setTitle(const std::string &title) {
    XStoreName(display_, window_, title.c_str());
    XFlush(display_);
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
    }
}

} // namespace demo
