// Drives the shipped Pelquist.dll on the platform's own COM and DirectShow,
// as a host does (see capture_session.h), with a real window offered as
// "stWindow". Each test ends with the module shut down and the worker's
// teardown done.
#ifndef WINE_TESTS_WINE_CAPTURE_FIXTURE_H
#define WINE_TESTS_WINE_CAPTURE_FIXTURE_H

#include "capture_session.h"
#include "host_window.h"

#include <functional>
#include <memory>

namespace winetest {

using capturesession::FrameSize;
using capturesession::kFrameSemaphore;

class WineCaptureTest : public capturesession::CaptureSession {
protected:
    static void SetUpTestSuite() { loadPlugin(); }
    void SetUp() override;
    void TearDown() override;
    bool waitUntil(const std::function<bool()> &condition) override { return HostWindow::pumpUntil(condition); }
    bool awaitFrames(uint64_t count) override;

    // primInitializeDecoder, once the previous worker has ended: a start
    // while one still exists is refused with status 5.
    bool initialize();
    // Waits, reading nothing but the status, until the worker's build has
    // recorded a failure; answers the status (1 when none came).
    int awaitBuildFailure();
    bool initializeAndAwaitBuild() { return initialize() && awaitBuild(); }
    // Waits until the worker's teardown has released the graph and freed
    // the frame buffer.
    bool awaitTeardown();

    // Builds, shows the preview, registers the frame semaphore and runs
    // until frames come.
    void startCapture();

    std::unique_ptr<HostWindow> window;
};

} // namespace winetest

#endif
