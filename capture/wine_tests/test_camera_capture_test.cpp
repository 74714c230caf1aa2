// The whole capture on the platform's own graph, fed by the test camera:
// the graph connects the camera to the sample grabber and renders the
// preview into the host's window, frames signal the host semaphore, kept
// frames convert to the camera's pattern exactly, and the graph pauses,
// stops, shuts down and is built anew.
#include "camera_pattern.h"
#include "test_camera_server.h"
#include "wine_capture_fixture.h"

#include <sstream>

namespace winetest {
namespace {

using testcamera::kHeight;
using testcamera::kWidth;

class TestCameraCapture : public WineCaptureTest {
protected:
    void SetUp() override {
        std::string error;
        camera = TestCameraServer::instance(&error);
        ASSERT_NE(camera, nullptr) << error;
        ASSERT_EQ(camera->registerCamera(), S_OK);
        WineCaptureTest::SetUp();
    }
    void TearDown() override {
        WineCaptureTest::TearDown();
        if (camera != nullptr) {
            EXPECT_EQ(camera->unregisterCamera(), S_OK);
        }
    }

    TestCameraServer *camera = nullptr;
};

uint32_t pixel32(int x, int y) {
    testcamera::Bgr pixel = testcamera::patternPixel(x, y);
    return 0xFF000000u | uint32_t(pixel.red) << 16 | uint32_t(pixel.green) << 8 | pixel.blue;
}

uint32_t pixel15(int x, int y) {
    testcamera::Bgr pixel = testcamera::patternPixel(x, y);
    uint32_t packed = uint32_t(pixel.red >> 3) << 10 | uint32_t(pixel.green >> 3) << 5 | uint32_t(pixel.blue >> 3);
    return packed == 0 ? 1 : packed;
}

// The camera's picture in a bitmap's words: top row first, one pixel a
// word at depth 32, two a word (the left one high) at depth 16.
std::vector<uint32_t> patternWords(int depth) {
    std::vector<uint32_t> words;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; x += depth == 32 ? 1 : 2)
            words.push_back(depth == 32 ? pixel32(x, y) : pixel15(x, y) << 16 | pixel15(x + 1, y));
    return words;
}

// Empty when equal, else the first word that differs and where it lies.
std::string firstDifference(const std::vector<uint32_t> &actual, const std::vector<uint32_t> &expected, int rowWords) {
    if (actual.size() != expected.size()) return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i]) continue;
        std::ostringstream text;
        text << std::hex << "word " << i << " (row " << std::dec << i / size_t(rowWords) << ", word " << i % size_t(rowWords)
             << std::hex << ") is 0x" << actual[i] << ", not 0x" << expected[i];
        return text.str();
    }
    return "";
}

TEST_F(TestCameraCapture, TheGraphConnectsAtTheCamerasOwnSize) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_EQ(decodeSize(), (FrameSize{kWidth, kHeight}));
    // An RGB camera's graph holds no DV decoder to take a decode size.
    EXPECT_FALSE(call("primDecoderSetDecodeSize", {smallInteger(360), smallInteger(240)}));
    EXPECT_EQ(lastError(), 10);
    EXPECT_EQ(decodeSize(), (FrameSize{kWidth, kHeight}));
}

TEST_F(TestCameraCapture, ThePreviewSitsInTheHostWindowAtTheRenderRectangle) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(window->visibleChildren().empty());
    ASSERT_TRUE(call("primDecoderSetRenderRect", {smallInteger(8), smallInteger(16), smallInteger(120), smallInteger(90)}));
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_EQ(lastError(), 1);
    std::vector<HWND> children;
    ASSERT_TRUE(HostWindow::pumpUntil([&] { return !(children = window->visibleChildren()).empty(); }));
    ASSERT_EQ(children.size(), 1u);
    RECT placed = window->placementOf(children[0]);
    EXPECT_EQ(placed.left, 8);
    EXPECT_EQ(placed.top, 16);
    EXPECT_EQ(placed.right, 8 + 120);
    EXPECT_EQ(placed.bottom, 16 + 90);

    ASSERT_TRUE(call("primDecoderShowWindow", {om.falseObject()}));
    EXPECT_EQ(lastError(), 1);
    EXPECT_TRUE(HostWindow::pumpUntil([&] { return window->visibleChildren().empty(); }));
    EXPECT_FALSE(IsWindowVisible(children[0]));
}

TEST_F(TestCameraCapture, FramesSignalTheSemaphoreWithGrowingSampleTimes) {
    ASSERT_NO_FATAL_FAILURE(startCapture());
    double earlier = lastSampleTime();
    EXPECT_GE(earlier, 0.0);
    ASSERT_TRUE(awaitFrames(framesSignalled() + 3));
    EXPECT_GT(lastSampleTime(), earlier);
    EXPECT_EQ(lastError(), 1);
}

TEST_F(TestCameraCapture, AKeptFrameIsThePatternAtDepths32And16) {
    ASSERT_NO_FATAL_FAILURE(startCapture());
    for (int depth : {32, 16}) {
        SCOPED_TRACE(depth);
        std::vector<uint32_t> words = captureFrame(depth);
        EXPECT_EQ(firstDifference(words, patternWords(depth), depth == 32 ? kWidth : kWidth / 2), "");
        EXPECT_EQ(lastError(), 1);
    }
}

TEST_F(TestCameraCapture, PauseHoldsTheFramesAndRunAndStopFollow) {
    ASSERT_NO_FATAL_FAILURE(startCapture());
    ASSERT_TRUE(call("primDecoderPause"));
    ASSERT_TRUE(awaitFramesStopped());
    EXPECT_EQ(lastError(), 1);
    double pausedAt = lastSampleTime();

    ASSERT_TRUE(call("primDecoderRun"));
    ASSERT_TRUE(awaitFrames(framesSignalled() + 3));
    EXPECT_GT(lastSampleTime(), pausedAt);

    ASSERT_TRUE(call("primDecoderStop"));
    ASSERT_TRUE(awaitFramesStopped());
    EXPECT_EQ(lastError(), 1);
    // A stopped graph keeps its frame buffer, and runs again.
    EXPECT_EQ(decodeSize(), (FrameSize{kWidth, kHeight}));
    ASSERT_TRUE(call("primDecoderRun"));
    ASSERT_TRUE(awaitFrames(framesSignalled() + 3));
}

TEST_F(TestCameraCapture, ShutdownEndsTheGraphAndASecondStartBuildsANewOne) {
    ASSERT_NO_FATAL_FAILURE(startCapture());
    ASSERT_TRUE(call("primShutdownDecoder"));
    EXPECT_EQ(answerInteger(), 1);
    ASSERT_TRUE(awaitTeardown());
    ASSERT_TRUE(awaitFramesStopped());
    EXPECT_TRUE(window->visibleChildren().empty());

    // The new worker reads the window again; frames signal once the
    // semaphore is registered anew, and keep the pattern.
    ASSERT_NO_FATAL_FAILURE(startCapture());
    EXPECT_EQ(firstDifference(captureFrame(32), patternWords(32), kWidth), "");
}

} // namespace
} // namespace winetest
