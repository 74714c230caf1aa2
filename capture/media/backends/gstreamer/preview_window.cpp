#include "preview_window.h"

#include "x11_error_filter.h"

#include <X11/Xlib.h>

namespace gstbackend {

std::unique_ptr<PreviewWindow> PreviewWindow::open() {
    static std::once_flag threadsReady;
    std::call_once(threadsReady, [] { XInitThreads(); });
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    installX11ErrorFilter();
    Window root = DefaultRootWindow(display);
    unsigned long black = BlackPixel(display, DefaultScreen(display));
    Window window = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, black, black);
    ignoreX11ErrorsAbout(window);
    XSync(display, False);
    return std::unique_ptr<PreviewWindow>(new PreviewWindow(display, window));
}

PreviewWindow::PreviewWindow(Display *display, unsigned long window)
    : display_(display), window_(window), parent_(DefaultRootWindow(display)) {}

PreviewWindow::~PreviewWindow() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
    if (parent_ != DefaultRootWindow(display_)) stopIgnoringX11ErrorsAbout(parent_);
    stopIgnoringX11ErrorsAbout(window_);
    XCloseDisplay(display_);
}

void PreviewWindow::apply(const WindowSettings &settings) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Window root = DefaultRootWindow(display_);
    const Window parent = settings.owner != 0 ? Window(settings.owner) : root;
    const bool hasArea = settings.width > 0 && settings.height > 0;
    const bool show = settings.visible && hasArea;
    if (!show && mapped_) {
        XUnmapWindow(display_, window_);
        mapped_ = false;
    }
    if (parent != parent_) {
        // The owner may vanish under us: errors about it are expected.
        if (parent != root) ignoreX11ErrorsAbout(parent);
        XReparentWindow(display_, window_, parent, settings.left, settings.top);
        if (parent_ != root) stopIgnoringX11ErrorsAbout(parent_);
        parent_ = parent;
    }
    if (hasArea)
        XMoveResizeWindow(display_, window_, settings.left, settings.top, unsigned(settings.width),
                          unsigned(settings.height));
    if (show && !mapped_) {
        XMapRaised(display_, window_);
        mapped_ = true;
    }
    XSync(display_, False);
}

} // namespace gstbackend
