// A DV camera: the graph decodes it through the DV decoder it inserted,
// whose four display sizes the capture follows.
#include "live_capture_fixture.h"
#include "test_pattern.h"

namespace livetest {
namespace {

using DvCapture = LiveCaptureTest;

virtualcamera::Camera dvCamera() {
    virtualcamera::Camera camera;
    camera.name = "Virtual DV Camera";
    camera.output = virtualcamera::Output::Dv;
    return camera;
}

TEST_F(DvCapture, EachDecodeSizeSizesTheCapturedFrames) {
    startCapture({dvCamera()});
    FrameSize full = decodeSize();
    EXPECT_EQ(full.width, 720);
    EXPECT_EQ(full.height, 480);
    const FrameSize sizes[] = {{360, 240}, {180, 120}, {88, 60}, {720, 480}};
    for (const FrameSize &size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        ASSERT_TRUE(call("primDecoderSetDecodeSize", {smallInteger(size.width), smallInteger(size.height)}));
        FrameSize now = decodeSize();
        EXPECT_EQ(now.width, size.width);
        EXPECT_EQ(now.height, size.height);
        // DV compresses with loss, and the smallest size blurs the edges.
        EXPECT_EQ(barsMismatch(captureFrame(32), now.width, now.height, 32, 48), "");
    }
}

// Reading the connected size holds no frame back. Sizes asked for in a
// burst, running or paused, the last one the size the frames already have:
// the frames flow on at that size.
TEST_F(DvCapture, FramesFlowOnAfterABurstOfSizes) {
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "running");
        startCapture({dvCamera()});
        if (paused) ASSERT_TRUE(post("primDecoderPause"));
        for (const FrameSize &size : {FrameSize{360, 240}, FrameSize{720, 480}, FrameSize{180, 120}, FrameSize{720, 480},
                                      FrameSize{88, 60}, FrameSize{720, 480}}) {
            ASSERT_TRUE(call("primDecoderSetDecodeSize", {smallInteger(size.width), smallInteger(size.height)}));
            EXPECT_EQ(decodeSize(), size);
        }
        if (paused) ASSERT_TRUE(post("primDecoderRun"));
        EXPECT_TRUE(awaitFrames(framesSignalled() + 10));
        EXPECT_EQ(barsMismatch(captureFrame(32), 720, 480, 32, 48), "");
        shutdownModule();
        ASSERT_TRUE(awaitWorkerEnd());
    }
}

TEST_F(DvCapture, SizesOutsideTheTableAreRefused) {
    startCapture({dvCamera()});
    for (const FrameSize &size : {FrameSize{640, 480}, FrameSize{720, 240}, FrameSize{88, 61}}) {
        EXPECT_FALSE(call("primDecoderSetDecodeSize", {smallInteger(size.width), smallInteger(size.height)}));
        EXPECT_EQ(lastError(), 10);
    }
    FrameSize unchanged = decodeSize();
    EXPECT_EQ(unchanged.width, 720);
    EXPECT_EQ(unchanged.height, 480);
}

TEST_F(DvCapture, ARawCameraHasNoDecodeSizes) {
    startCapture({rawCamera("YUY2", 64, 48)});
    EXPECT_FALSE(call("primDecoderSetDecodeSize", {smallInteger(360), smallInteger(240)}));
    EXPECT_EQ(lastError(), 10);
}

} // namespace
} // namespace livetest
