#include "wine_capture_fixture.h"

#include <chrono>

namespace winetest {

void WineCaptureTest::SetUp() {
    CaptureSession::SetUp();
    window.reset(new HostWindow());
    ASSERT_NE(window->handle(), nullptr);
    vm.offerWindow(reinterpret_cast<HostWord>(window->handle()));
}

void WineCaptureTest::TearDown() {
    if (plugin == nullptr) return;
    shutdownModule();
    EXPECT_TRUE(awaitTeardown());
    window.reset();
}

bool WineCaptureTest::initialize() {
    bool started = false;
    HostWindow::pumpUntil([&] {
        started = call("primInitializeDecoder");
        return started || lastError() != 5;
    });
    return started;
}

int WineCaptureTest::awaitBuildFailure() {
    int status = 1;
    HostWindow::pumpUntil([&] { return (status = lastError()) != 1; });
    return status;
}

bool WineCaptureTest::awaitTeardown() {
    return HostWindow::pumpUntil([&] {
        bool graphGone = !call("primDecoderRequestCapture");
        return graphGone && decodeSize() == FrameSize{};
    });
}

void WineCaptureTest::startCapture() {
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
    ASSERT_TRUE(call("primDecoderRun"));
    ASSERT_TRUE(awaitFrames(framesSignalled() + 3));
    ASSERT_EQ(lastError(), 1);
}

bool WineCaptureTest::awaitFrames(uint64_t count) {
    return HostWindow::pumpUntil(
        [&] { return vm.waitForSignals(kFrameSemaphore, count, std::chrono::milliseconds(5)); });
}

} // namespace winetest
