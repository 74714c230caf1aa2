// The live preview inside the host's window, read back from the screen:
// under an X server only (the suite's Xvfb run); without one the preview
// has no window and these tests are skipped.
#include "host_window.h"
#include "live_capture_fixture.h"
#include "test_pattern.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace livetest {
namespace {

constexpr uint32_t kHostColour = 0x336699;
constexpr int kHostWidth = 320, kHostHeight = 240;

struct Rectangle {
    int left, top, width, height;
};

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
        for (int bar = 0; bar < virtualcamera::kBarCount; ++bar) {
            const virtualcamera::Bar &colour = virtualcamera::kBars[bar];
            uint32_t pixel = window->pixelAt(r.left + barCentre(bar, r.width), r.top + barRow(r.height));
            if (std::abs(int(pixel >> 16 & 255) - colour.red) > 8 ||
                std::abs(int(pixel >> 8 & 255) - colour.green) > 8 || std::abs(int(pixel & 255) - colour.blue) > 8)
                return false;
        }
        return true;
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
