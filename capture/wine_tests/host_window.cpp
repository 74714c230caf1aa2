#include "host_window.h"

namespace winetest {

namespace {

const wchar_t kClassName[] = L"PelquistWineTestHost";

void registerClassOnce() {
    static const ATOM registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass);
    }();
    (void)registered;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

HostWindow::HostWindow() {
    registerClassOnce();
    // Frameless at the screen's origin, so that its client and screen
    // coordinates agree: Wine 8 takes a preview's own screen position for
    // one coordinate whenever it moves it along the other.
    window_ = CreateWindowExW(0, kClassName, L"Host", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    pumpMessages();
}

HostWindow::~HostWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    pumpMessages();
}

std::vector<HWND> HostWindow::visibleChildren() const {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) children.push_back(child);
    return children;
}

RECT HostWindow::placementOf(HWND child) const {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

bool HostWindow::pumpUntil(const std::function<bool()> &condition, std::chrono::milliseconds patience) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        pumpMessages();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

} // namespace winetest
