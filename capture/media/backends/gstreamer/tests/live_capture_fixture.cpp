#include "live_capture_fixture.h"

#include <gst/gst.h>

namespace livetest {

virtualcamera::Camera rawCamera(const char *format, int width, int height, int framesPerSecond) {
    virtualcamera::Camera camera;
    camera.format = format;
    camera.width = width;
    camera.height = height;
    camera.framesPerSecond = framesPerSecond;
    return camera;
}

// The virtual camera is registered before the plug-in first loads.
void LiveCaptureTest::SetUpTestSuite() {
    if (plugin != nullptr) return;
    ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
    ASSERT_TRUE(virtualcamera::registerVirtualCamera());
    loadPlugin();
}

void LiveCaptureTest::SetUp() {
    CaptureSession::SetUp();
    vm.offerWindow(hostWindow);
}

void LiveCaptureTest::TearDown() {
    if (plugin == nullptr) return;
    shutdownModule();
    EXPECT_TRUE(awaitWorkerEnd());
}

void LiveCaptureTest::startCapture(const std::vector<virtualcamera::Camera> &cameras) {
    virtualcamera::offerCameras(cameras);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_EQ(lastError(), 1);
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
    ASSERT_TRUE(post("primDecoderRun"));
    ASSERT_EQ(lastError(), 1);
    ASSERT_TRUE(awaitFrames(framesSignalled() + 3));
}

} // namespace livetest
