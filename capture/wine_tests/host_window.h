// A real top-level window for the host to offer as "stWindow", with the
// message pumping its thread owes while it waits, and a look at the child
// windows placed in it. Host thread.
#ifndef WINE_TESTS_HOST_WINDOW_H
#define WINE_TESTS_HOST_WINDOW_H

#include <windows.h>

#include <chrono>
#include <functional>
#include <vector>

namespace winetest {

// Generous: an emulated machine builds graphs and starts threads slowly.
constexpr std::chrono::seconds kPatience{120};

class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow &) = delete;
    HostWindow &operator=(const HostWindow &) = delete;

    HWND handle() const { return window_; }
    // The visible windows placed directly in this one.
    std::vector<HWND> visibleChildren() const;
    // A child's rectangle in this window's client coordinates.
    RECT placementOf(HWND child) const;

    // Dispatches this thread's messages until condition holds or the
    // patience runs out; answers whether it held.
    static bool pumpUntil(const std::function<bool()> &condition, std::chrono::milliseconds patience = kPatience);

private:
    HWND window_;
};

} // namespace winetest

#endif
