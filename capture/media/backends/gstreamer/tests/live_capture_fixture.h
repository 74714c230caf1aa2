// Drives the capture plug-in on the real GStreamer stack, as a host does:
// GStreamer initialised and the virtual camera registered in this process,
// then libPelquist.so loaded by name, once, and bound to a fresh
// interpreter for every test (see capture_session.h). Each test offers the
// cameras it needs and ends with the module shut down and its worker gone.
#ifndef CAPTURE_GSTREAMER_TESTS_LIVE_CAPTURE_FIXTURE_H
#define CAPTURE_GSTREAMER_TESTS_LIVE_CAPTURE_FIXTURE_H

#include "capture_session.h"
#include "patience.h"
#include "virtual_camera.h"
#include "worker_watch.h"

#include <vector>

namespace livetest {

using capturesession::FrameSize;
using capturesession::kFrameSemaphore;

// A camera sending the test pattern uncompressed.
virtualcamera::Camera rawCamera(const char *format, int width, int height, int framesPerSecond = 30);

class LiveCaptureTest : public capturesession::CaptureSession {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The worker's progress as the test-only runtime counts it
    // (worker_watch.h).
    bool initializeAndAwaitBuild() { return workerwatch::initializeAndAwaitBuild(*this); }
    bool post(const char *primitive) { return workerwatch::post(*this, primitive); }
    bool awaitWorkerEnd() { return workerwatch::awaitWorkerEnd(*this); }

    // Offers the cameras, builds, shows the preview at the rectangle set
    // before, registers the frame semaphore and runs until frames come.
    void startCapture(const std::vector<virtualcamera::Camera> &cameras);

    HostWord hostWindow = 0x2A; // what the host offers as "stWindow"
};

} // namespace livetest

#endif
