// Whole captures through the plug-in on the real stack: devices, frames
// and their times, captured pixels, and the graph's states.
#include "live_capture_fixture.h"
#include "test_pattern.h"

#include <gst/gst.h>

#include <ostream>
#include <utility>

namespace livetest {
namespace {

using LiveCapture = LiveCaptureTest;

// A real camera would come before the virtual ones.
bool realCameraPresent() {
    virtualcamera::offerCameras({});
    GstDeviceMonitor *monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    GList *devices = gst_device_monitor_get_devices(monitor);
    bool present = devices != nullptr;
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
    return present;
}

TEST_F(LiveCapture, WithoutAnyCameraTheBuildEndsWithStatus2) {
    if (realCameraPresent()) GTEST_SKIP() << "a real camera is present";
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(awaitWorkerEnd());
    EXPECT_EQ(lastError(), 2);
    EXPECT_FALSE(call("primDecoderRun"));
    EXPECT_EQ(lastError(), 6);
}

TEST_F(LiveCapture, ACameraThatMakesNoSourceIsPassedOver) {
    virtualcamera::Camera broken = rawCamera("BGR", 64, 48);
    broken.broken = true;
    startCapture({broken, rawCamera("BGR", 96, 72)});
    FrameSize size = decodeSize();
    EXPECT_EQ(size.width, 96);
    EXPECT_EQ(size.height, 72);
}

// The frames' own times tell how many frames went by: as many signals.
TEST_F(LiveCapture, EveryFrameIsSignalledOnceWithARisingSampleTime) {
    constexpr int kFramesPerSecond = 30;
    startCapture({rawCamera("BGR", 64, 48, kFramesPerSecond)});
    // A time read between two equal counts belongs to that count's frame,
    // or to the next one, stored just before its signal.
    auto frameClock = [&] {
        for (;;) {
            uint64_t count = framesSignalled();
            double time = lastSampleTime();
            if (framesSignalled() == count) return std::make_pair(count, time);
        }
    };
    auto first = frameClock();
    double previous = first.second;
    for (int frame = 0; frame < 20; ++frame) {
        ASSERT_TRUE(awaitFrames(framesSignalled() + 2));
        double time = lastSampleTime();
        EXPECT_GT(time, previous);
        previous = time;
    }
    auto last = frameClock();
    double framesByTime = (last.second - first.second) * kFramesPerSecond;
    EXPECT_NEAR(double(last.first - first.first), framesByTime, 2.0);
}

struct FormatCase {
    const char *format;
    int width, height;
    int tolerance; // per channel: conversions from YUV round
};

void PrintTo(const FormatCase &format, std::ostream *stream) {
    *stream << format.format << " " << format.width << "x" << format.height;
}

class CapturedBars : public LiveCaptureTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CapturedBars, ShowInTheBitmapAtDepth32And16) {
    const FormatCase &format = GetParam();
    startCapture({rawCamera(format.format, format.width, format.height)});
    FrameSize size = decodeSize();
    ASSERT_EQ(size.width, format.width);
    ASSERT_EQ(size.height, format.height);
    EXPECT_EQ(barsMismatch(captureFrame(32), size.width, size.height, 32, format.tolerance), "");
    EXPECT_EQ(barsMismatch(captureFrame(16), size.width, size.height, 16, format.tolerance), "");
}

// BGR links the device to the grabber directly; the others go through a
// converter, exact for BGRx. 161 pixels make rows of 483 bytes, padded.
INSTANTIATE_TEST_SUITE_P(Formats, CapturedBars,
                         ::testing::Values(FormatCase{"BGR", 112, 84, 0}, FormatCase{"BGRx", 112, 84, 0},
                                           FormatCase{"YUY2", 112, 84, 8}, FormatCase{"I420", 112, 84, 8},
                                           FormatCase{"BGR", 161, 121, 0}),
                         [](const ::testing::TestParamInfo<FormatCase> &info) {
                             return std::string(info.param.format) + "_" + std::to_string(info.param.width);
                         });

TEST_F(LiveCapture, PauseAndStopHaltTheFramesAndRunResumesThem) {
    startCapture({rawCamera("BGR", 64, 48)});
    for (const char *halt : {"primDecoderPause", "primDecoderStop"}) {
        SCOPED_TRACE(halt);
        ASSERT_TRUE(post(halt));
        EXPECT_EQ(lastError(), 1);
        ASSERT_TRUE(awaitFramesStopped());
        uint64_t halted = framesSignalled();
        ASSERT_TRUE(post("primDecoderRun"));
        EXPECT_TRUE(awaitFrames(halted + 3));
    }
}

TEST_F(LiveCapture, ACaptureAfterShutdownIsRefused) {
    startCapture({rawCamera("BGR", 64, 48)});
    ASSERT_TRUE(call("primShutdownDecoder"));
    ASSERT_TRUE(awaitWorkerEnd());
    EXPECT_FALSE(call("primDecoderRequestCapture"));
    EXPECT_FALSE(call("primDecoderRun"));
    EXPECT_EQ(lastError(), 6);
}

} // namespace
} // namespace livetest
