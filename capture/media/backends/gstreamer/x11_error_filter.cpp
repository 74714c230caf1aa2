#include "x11_error_filter.h"

#include <X11/Xlib.h>

#include <map>
#include <mutex>

namespace gstbackend {
namespace {

std::mutex filterMutex;
std::map<unsigned long, int> ignored; // resource -> how many ask
XErrorHandler previousHandler = nullptr;

int filterError(Display *display, XErrorEvent *error) {
    XErrorHandler previous;
    {
        std::lock_guard<std::mutex> lock(filterMutex);
        if (ignored.count(error->resourceid) != 0) return 0;
        previous = previousHandler;
    }
    return previous != nullptr ? previous(display, error) : 0;
}

} // namespace

void installX11ErrorFilter() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        XErrorHandler previous = XSetErrorHandler(filterError);
        std::lock_guard<std::mutex> lock(filterMutex);
        previousHandler = previous;
    });
}

void ignoreX11ErrorsAbout(unsigned long resource) {
    std::lock_guard<std::mutex> lock(filterMutex);
    ++ignored[resource];
}

void stopIgnoringX11ErrorsAbout(unsigned long resource) {
    std::lock_guard<std::mutex> lock(filterMutex);
    auto found = ignored.find(resource);
    if (found != ignored.end() && --found->second == 0) ignored.erase(found);
}

} // namespace gstbackend
