// Fifty whole capture lives in one process: each starts, runs and shuts
// down, and together they leave neither threads nor memory behind.
#include "live_capture_fixture.h"

#include "process_figures.h"

namespace livetest {
namespace {

using RepeatedCapture = LiveCaptureTest;

// Tiny frames keep the fifty lives quick.
TEST_F(RepeatedCapture, FiftyLivesLeaveNoThreadsOrHeapBehind) {
    constexpr int kLives = 50;
    constexpr int kWarmUp = 10; // GStreamer's caches and pools fill first
    constexpr size_t kHeapSlackBytes = 256 << 10;
    virtualcamera::offerCameras({rawCamera("BGR", 32, 24)});
    int threadsAfterWarmUp = 0;
    size_t heapAfterWarmUp = 0;
    for (int life = 1; life <= kLives; ++life) {
        SCOPED_TRACE("life " + std::to_string(life));
        ASSERT_TRUE(initializeAndAwaitBuild());
        ASSERT_EQ(lastError(), 1);
        ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
        ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
        ASSERT_TRUE(post("primDecoderRun"));
        ASSERT_TRUE(awaitFrames(framesSignalled() + 2));
        ASSERT_TRUE(call("primShutdownDecoder"));
        ASSERT_TRUE(awaitWorkerEnd());
        if (life == kWarmUp) {
            threadsAfterWarmUp = threadCount();
            heapAfterWarmUp = heapBytesInUse();
        }
    }
    // Idle pool threads may take a while to go.
    EXPECT_TRUE(eventually([&] { return threadCount() <= threadsAfterWarmUp; }))
        << threadCount() << " threads, " << threadsAfterWarmUp << " after the warm-up";
    EXPECT_LT(heapBytesInUse(), heapAfterWarmUp + kHeapSlackBytes)
        << heapBytesInUse() << " bytes on the heap, " << heapAfterWarmUp << " after the warm-up";
}

} // namespace
} // namespace livetest
