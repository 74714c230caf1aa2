// The live preview inside the host's window, read back from the screen:
// under an X server only (the suite's Xvfb run); without one the preview
// has no window and these tests are skipped.
#include "host_window.h"
#include "live_capture_fixture.h"
#include "test_pattern.h"

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace livetest {
namespace {

constexpr uint32_t kHostColour = 0x336699;
constexpr int kHostWidth = 320, kHostHeight = 240;

struct Rectangle {
    HostWord left, top, width, height;
};

std::ostream &operator<<(std::ostream &out, const Rectangle &r) {
    return out << r.width << "x" << r.height << " at (" << r.left << "," << r.top << ")";
}

// The host's own X error handler: it only counts, where Xlib's default
// one would end the process.
std::atomic<int> hostXErrors{0};
int countHostXError(Display *, XErrorEvent *) {
    ++hostXErrors;
    return 0;
}

class PreviewWindow : public LiveCaptureTest {
protected:
    void SetUp() override {
        window = HostWindow::open(kHostWidth, kHostHeight, kHostColour);
        if (window == nullptr) GTEST_SKIP() << "no X display";
        hostWindow = HostWord(window->id());
        LiveCaptureTest::SetUp();
    }
    void TearDown() override {
        if (window == nullptr) return;
        LiveCaptureTest::TearDown();
        window.reset();
    }

    void setRenderRect(const Rectangle &r) {
        ASSERT_TRUE(call("primDecoderSetRenderRect", {smallInteger(r.left), smallInteger(r.top),
                                                      smallInteger(r.width), smallInteger(r.height)}));
    }

    // The bars, scaled to the rectangle, on the screen inside the window.
    bool showsBars(const Rectangle &r) {
        for (int bar = 0; bar < virtualcamera::kBarCount; ++bar)
            if (!showsBar(bar, int(r.left) + barCentre(bar, int(r.width)), int(r.top) + barRow(int(r.height))))
                return false;
        return true;
    }

    bool showsBar(int bar, int x, int y) {
        const virtualcamera::Bar &colour = virtualcamera::kBars[bar];
        uint32_t pixel = window->pixelAt(x, y);
        return std::abs(int(pixel >> 16 & 255) - colour.red) <= 8 &&
               std::abs(int(pixel >> 8 & 255) - colour.green) <= 8 && std::abs(int(pixel & 255) - colour.blue) <= 8;
    }

    // What the screen shows where the bars belong, for a failure's message.
    std::string barPixels(const Rectangle &r) {
        std::string shown;
        char text[16];
        for (int bar = 0; bar < virtualcamera::kBarCount; ++bar) {
            std::snprintf(text, sizeof text, " %06X",
                          unsigned(window->pixelAt(r.left + barCentre(bar, r.width), r.top + barRow(r.height))));
            shown += text;
        }
        return shown;
    }

    // The host's own colour just around the rectangle and in the corner.
    bool surroundedByHost(const Rectangle &r) {
        const int middleX = r.left + r.width / 2, middleY = r.top + r.height / 2;
        return window->pixelAt(r.left - 1, middleY) == kHostColour &&
               window->pixelAt(r.left + r.width, middleY) == kHostColour &&
               window->pixelAt(middleX, r.top - 1) == kHostColour &&
               window->pixelAt(middleX, r.top + r.height) == kHostColour &&
               window->pixelAt(kHostWidth - 1, kHostHeight - 1) == kHostColour;
    }

    std::unique_ptr<HostWindow> window;
};

TEST_F(PreviewWindow, SitsInTheHostWindowAtTheRectangleAndFollowsIt) {
    const Rectangle first{40, 30, 160, 120};
    setRenderRect(first);
    startCapture({rawCamera("BGR", 112, 84)});
    EXPECT_TRUE(eventually([&] { return showsBars(first); })) << barPixels(first);
    EXPECT_TRUE(surroundedByHost(first));

    ASSERT_TRUE(call("primDecoderShowWindow", {om.falseObject()}));
    EXPECT_TRUE(eventually([&] { return window->pixelAt(first.left + 80, first.top + 60) == kHostColour; }));

    const Rectangle second{100, 90, 200, 100};
    setRenderRect(second);
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_TRUE(eventually([&] { return showsBars(second); })) << barPixels(second);
    EXPECT_TRUE(surroundedByHost(second));
}

TEST_F(PreviewWindow, FramesKeepComingWhenTheHostDestroysItsWindow) {
    setRenderRect({10, 10, 64, 48});
    startCapture({rawCamera("BGR", 64, 48)});
    window->destroy();
    EXPECT_TRUE(awaitFrames(framesSignalled() + 5));
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_TRUE(awaitFrames(framesSignalled() + 5));
}

} // namespace
} // namespace livetest

namespace livetest {
namespace {

// Rectangles the window system cannot hold as given (X11 has 16-bit
// positions and sizes), far larger than the host's window, or without
// area: the preview is clamped to what can be drawn, and neither the host
// nor the frames it is signalled notice.
const Rectangle kExtremeRectangles[] = {
    {0, 0, 65536, 30},         {0, 0, 30, 65536},       {0, 0, 131072, 30},  {0, 0, 32768, 30},
    {0, 0, 40000, 30},         {0, 0, 65535, 30},       {0, 0, 100000, 30},  {0, 0, 2147483647, 30},
    {0, 0, 30, 40000},         {10, 10, 32767, 32767},  {32768, -32769, 50, 40}, {0, 0, 0, 0},
    {-20, -30, -40, -50},      {100000, 100000, 60, 40}, {-2147483647, 5, 60, 40}, {0, 0, 1, 1},
};

class ExtremePreviewRectangles : public PreviewWindow {
protected:
    void SetUp() override {
        hostXErrors = 0;
        previousHandler = XSetErrorHandler(countHostXError);
        PreviewWindow::SetUp();
    }
    void TearDown() override {
        PreviewWindow::TearDown();
        EXPECT_EQ(XSetErrorHandler(previousHandler), countHostXError) << "the host's X error handler was replaced";
    }

    bool framesKeepComing() {
        return vm.waitForSignals(kFrameSemaphore, framesSignalled() + 3, std::chrono::seconds(5));
    }

    XErrorHandler previousHandler = nullptr;
};

TEST_F(ExtremePreviewRectangles, NeitherStopTheFramesNorReachTheHostsErrorHandler) {
    setRenderRect({10, 10, 64, 48});
    startCapture({rawCamera("BGR", 64, 48, 60)});
    for (const Rectangle &r : kExtremeRectangles) {
        SCOPED_TRACE(::testing::Message() << r);
        setRenderRect(r);
        ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
        EXPECT_EQ(lastError(), 1);
        EXPECT_TRUE(framesKeepComing());
    }
    // The window follows a sane rectangle again afterwards.
    const Rectangle sane{40, 30, 160, 120};
    setRenderRect(sane);
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_TRUE(eventually([&] { return showsBars(sane); })) << barPixels(sane);
    EXPECT_EQ(hostXErrors.load(), 0);
}

// Only the part inside the host's window is drawn, scaled as the whole
// rectangle would be: its top left shows the first bar.
TEST_F(ExtremePreviewRectangles, ShowTheVisiblePartOfTheScaledPicture) {
    const Rectangle huge{10, 10, 32767, 32767};
    setRenderRect(huge);
    startCapture({rawCamera("BGR", 64, 48, 60)});
    EXPECT_TRUE(eventually([&] { return showsBar(0, 20, 20); }));
    EXPECT_TRUE(eventually([&] { return showsBar(0, kHostWidth - 1, kHostHeight - 1); }));
    EXPECT_EQ(window->pixelAt(5, 5), kHostColour);
    EXPECT_EQ(hostXErrors.load(), 0);
}

} // namespace
} // namespace livetest
