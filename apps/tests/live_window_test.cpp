// capture_demo's live effects window, driven as a person would drive it:
// the program runs on a private X server (with_private_xvfb.sh) and the
// test sends it keys, a click and a close through the X server, then reads
// the window's title and pixels back. LIVE_WINDOW_SCREENSHOT names a PNG
// file to write the whole screen into once an effect shows; with
// LIVE_WINDOW_DWELL and LIVE_WINDOW_VIRTUAL_SIZE the test measures the
// rate of each effect at a frame size (the program prints them).
#include "effects_layout.h"
#include "png_image.h"

// Before Xlib, whose None macro clashes with the test library's.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kEffects = 8;

bool waitFor(const std::function<bool()> &condition, std::chrono::seconds patience) {
    const auto deadline = Clock::now() + patience;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string titleOf(Display *display, Window window) {
    char *name = nullptr;
    std::string title;
    if (XFetchName(display, window, &name) && name != nullptr) title = name;
    if (name != nullptr) XFree(name);
    return title;
}

// A top-level window whose title starts with prefix, or 0.
Window findWindow(Display *display, const std::string &prefix) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && found == 0; ++i)
            if (titleOf(display, children[i]).rfind(prefix, 0) == 0) found = children[i];
        XFree(children);
    }
    return found;
}

demo::Picture screenshot(Display *display, Window window, int x, int y, int width, int height) {
    demo::Picture picture(width, height);
    XImage *image = XGetImage(display, window, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (image == nullptr) return demo::Picture();
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            picture.at(column, row) = uint32_t(XGetPixel(image, column, row)) | 0xFF000000u;
    XDestroyImage(image);
    return picture;
}

class LiveWindow : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) GTEST_SKIP() << "no X display";
        folder = fs::temp_directory_path() / ("live-window-" + std::to_string(getpid()));
        fs::create_directories(folder);
        sheet = folder / "sheet.png";
        const std::string output = sheet.string();
        std::vector<char *> arguments{const_cast<char *>(CAPTURE_DEMO), const_cast<char *>("--frames"),
                                      const_cast<char *>("5"), const_cast<char *>("--output"),
                                      const_cast<char *>(output.c_str())};
        // LIVE_WINDOW_VIRTUAL_SIZE: the virtual camera's frame size, WxH.
        if (char *size = std::getenv("LIVE_WINDOW_VIRTUAL_SIZE")) {
            arguments.push_back(const_cast<char *>("--virtual-size"));
            arguments.push_back(size);
        }
        arguments.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&demo, CAPTURE_DEMO, nullptr, nullptr, arguments.data(), environ), 0);
        ASSERT_TRUE(waitFor([&] { return (window = findWindow(display, "Live effects")) != 0; },
                            std::chrono::seconds(120)));
        main = findWindow(display, "Capture demo");
        ASSERT_NE(main, Window(0));
        // Frames flow once the title shows a rate.
        ASSERT_TRUE(waitFor([&] { return titleOf(display, window).find(" 0.0 fps") == std::string::npos; },
                            std::chrono::seconds(30)))
            << titleOf(display, window);
    }

    void TearDown() override {
        if (demo != 0 && !exited) {
            kill(demo, SIGKILL);
            waitpid(demo, nullptr, 0);
        }
        if (display != nullptr) XCloseDisplay(display);
        if (!folder.empty()) fs::remove_all(folder);
    }

    // A key or button event (XKeyEvent, XButtonEvent) of type at target, on
    // the screen of the root window.
    template <typename Input> Input inputAt(Window target, int type) {
        Input input{};
        input.type = type;
        input.display = display;
        input.window = target;
        input.root = DefaultRootWindow(display);
        input.same_screen = True;
        return input;
    }

    // Sends event to target through the X server now.
    void send(Window target, Bool propagate, long mask, XEvent &event) {
        XSendEvent(display, target, propagate, mask, &event);
        XFlush(display);
    }

    void press(Window target, KeySym key) {
        XEvent event{};
        event.xkey = inputAt<XKeyEvent>(target, KeyPress);
        event.xkey.keycode = XKeysymToKeycode(display, key);
        send(target, True, KeyPressMask, event);
    }

    void click(int x, int y) {
        XEvent event{};
        event.xbutton = inputAt<XButtonEvent>(window, ButtonPress);
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.button = Button1;
        send(window, True, ButtonPressMask, event);
    }

    void close(Window target) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        send(target, False, NoEventMask, event);
    }

    bool titleShows(const std::string &name) {
        return waitFor([&] { return titleOf(display, window).find(" - " + name + " - ") != std::string::npos; },
                       std::chrono::seconds(10));
    }

    // The program's exit status once it has ended, or -1.
    int awaitExit() {
        int status = 0;
        const bool ended = waitFor([&] { return waitpid(demo, &status, WNOHANG) == demo; }, std::chrono::seconds(20));
        exited = ended;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Distinct colours in the frame shown, read from the screen (the
    // window may reach beyond it).
    size_t coloursShown(const demo::EffectsLayout &layout) {
        const Screen *screen = DefaultScreenOfDisplay(display);
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), layout.picture.x, layout.picture.y, &x, &y,
                              &child);
        const int width = std::min(layout.picture.width, screen->width - x);
        const int height = std::min(layout.picture.height, screen->height - y);
        if (x < 0 || y < 0 || width <= 0 || height <= 0) return 0;
        const demo::Picture shown = screenshot(display, DefaultRootWindow(display), x, y, width, height);
        return std::set<uint32_t>(shown.pixels.begin(), shown.pixels.end()).size();
    }

    demo::EffectsLayout layoutOfWindow() {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        // The column beside the frame is as wide as the layout makes it.
        const demo::EffectsLayout probe = demo::layOutEffectsWindow(0, 0, kEffects);
        return demo::layOutEffectsWindow(attributes.width - probe.width, attributes.height, kEffects);
    }

    Display *display = nullptr;
    Window window = 0, main = 0;
    pid_t demo = 0;
    bool exited = false;
    fs::path folder, sheet;
};

TEST_F(LiveWindow, KeysAndClicksPickTheEffectSWritesTheSheetAndQQuits) {
    const demo::EffectsLayout layout = layoutOfWindow();
    EXPECT_TRUE(titleShows("none")) << titleOf(display, window);

    struct Case {
        const char *how;
        std::function<void()> act;
        const char *shown;
    };
    const Case cases[] = {
        {"key 3", [&] { press(window, XK_3); }, "Background subtraction"},
        {"click on 5", [&] {
             const demo::Rect &row = layout.choices[5];
             click(row.x + row.width / 2, row.y + row.height / 2);
         }, "5x5 Gaussian blur"},
        {"key 8 in the main window", [&] { press(main, XK_8); }, "Old colour TV"},
        {"key 0", [&] { press(window, XK_0); }, "none"},
        {"key 4", [&] { press(window, XK_4); }, "3x3 edge detection"},
        {"key 1", [&] { press(window, XK_1); }, "Brightness and contrast"},
        {"key 2", [&] { press(window, XK_2); }, "Per-channel brightness"},
        {"key 6", [&] { press(window, XK_6); }, "Melt"},
        {"key 7", [&] { press(window, XK_7); }, "Old black and white TV"},
        {"click on 8", [&] {
             const demo::Rect &row = layout.choices[8];
             click(row.x + 2, row.y + row.height - 2);
         }, "Old colour TV"},
    };
    // LIVE_WINDOW_DWELL: seconds to stay on each choice, so that the
    // program's figures for each effect mean something.
    const char *dwell = std::getenv("LIVE_WINDOW_DWELL");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        c.act();
        EXPECT_TRUE(titleShows(c.shown)) << titleOf(display, window);
        // A frame, not a blank (the television effects keep to a few colours).
        EXPECT_TRUE(waitFor([&] { return coloursShown(layout) > 1; }, std::chrono::seconds(10)));
        if (dwell != nullptr) std::this_thread::sleep_for(std::chrono::seconds(std::atoi(dwell)));
    }
    if (const char *path = std::getenv("LIVE_WINDOW_SCREENSHOT")) {
        const Screen *screen = DefaultScreenOfDisplay(display);
        std::string error;
        EXPECT_TRUE(demo::writePng(path, screenshot(display, DefaultRootWindow(display), 0, 0, screen->width,
                                                    screen->height), &error))
            << error;
    }

    fs::remove(sheet);
    press(window, XK_s);
    EXPECT_TRUE(waitFor([&] { return fs::exists(sheet); }, std::chrono::seconds(20)));

    press(window, XK_q);
    EXPECT_EQ(awaitExit(), 0);
}

TEST_F(LiveWindow, ClosingEitherWindowQuitsCleanly) {
    close(main);
    EXPECT_EQ(awaitExit(), 0);
}

} // namespace
