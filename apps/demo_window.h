// The demo host's main window on the X server that DISPLAY names: the
// window it offers as "stWindow", in which the live preview appears.
#ifndef APPS_DEMO_WINDOW_H
#define APPS_DEMO_WINDOW_H

#include <memory>
#include <string>

typedef struct _XDisplay Display;

namespace demo {

class DemoWindow {
public:
    // Null when no display can be opened.
    static std::unique_ptr<DemoWindow> open(int width, int height, const std::string &title);
    ~DemoWindow();
    DemoWindow(const DemoWindow &) = delete;
    DemoWindow &operator=(const DemoWindow &) = delete;

    unsigned long id() const { return window_; }
    Display *display() const { return display_; }
    // Shows what the demo is doing in the title bar, and takes in the
    // server's events meanwhile.
    void setTitle(const std::string &title);

private:
    DemoWindow(Display *display, unsigned long window) : display_(display), window_(window) {}
    Display *const display_;
    const unsigned long window_;
};

} // namespace demo

#endif
