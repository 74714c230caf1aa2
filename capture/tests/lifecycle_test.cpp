// A host's whole use of the decoder, twice over: start, preview, run,
// frames, captures at both depths, a new decode size, shutdown, and a
// second start on a new graph.
#include "capture_fixture.h"

namespace capturetest {
namespace {

using testplatform::Bgr;

Bgr gradient(int x, int y) { return Bgr{uint8_t(x), uint8_t(y), uint8_t(x ^ y)}; }

uint32_t gradient32(int x, int y) {
    Bgr pixel = gradient(x, y);
    return 0xFF000000u | uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
}

uint32_t gradient15(int x, int y) {
    Bgr pixel = gradient(x, y);
    uint32_t packed = uint32_t(pixel[2] >> 3) << 10 | uint32_t(pixel[1] >> 3) << 5 | uint32_t(pixel[0] >> 3);
    return packed == 0 ? 1 : packed;
}

TEST_F(CaptureTest, AWholeCaptureLifecycleTwice) {
    Script script;
    script.hasDvDecoder = true;
    script.connectedWidth = 720;
    script.connectedHeight = 480;
    platform.configure(script);

    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_EQ(lastError(), 1);
    ASSERT_TRUE(call("primDecoderSetRenderRect", {smallInteger(8), smallInteger(16), smallInteger(320), smallInteger(240)}));
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
    ASSERT_TRUE(post("primDecoderRun"));
    EXPECT_TRUE(platform.logged("Run"));

    // Frames tick the semaphore, each with its time on record.
    for (int frame = 1; frame <= 3; ++frame)
        deliver(testplatform::rgb24Frame(720, 480, 0.04 * frame, gradient));
    EXPECT_TRUE(vm.waitForSignals(kFrameSemaphore, 3, testplatform::kPatience));
    EXPECT_EQ(lastSampleTime(), 0.04 * 3);

    // A capture, converted at both depths.
    capture(testplatform::rgb24Frame(720, 480, 0.16, gradient));
    HostWord deep = om.newBitmap(720, 480, 32);
    ASSERT_TRUE(copyInto(deep));
    std::vector<uint32_t> words = wordsOf(deep);
    for (int y : {0, 1, 239, 479})
        for (int x : {0, 1, 300, 719}) ASSERT_EQ(words[size_t(y * 720 + x)], gradient32(x, y)) << x << "," << y;
    HostWord shallow = om.newBitmap(720, 480, 16);
    ASSERT_TRUE(copyInto(shallow));
    words = wordsOf(shallow);
    for (int y : {0, 479})
        for (int x : {0, 300, 718})
            ASSERT_EQ(words[size_t(y * 360 + x / 2)], gradient15(x, y) << 16 | gradient15(x + 1, y)) << x << "," << y;

    // A smaller decode size, and a capture at it.
    ASSERT_TRUE(call("primDecoderSetDecodeSize", {smallInteger(360), smallInteger(240)}));
    EXPECT_EQ(decodeSizeWord(), 360u << 16 | 240u);
    capture(testplatform::rgb24Frame(360, 240, 0.2, gradient));
    HostWord half = om.newBitmap(360, 240, 32);
    ASSERT_TRUE(copyInto(half));
    EXPECT_EQ(wordsOf(half)[size_t(239 * 360 + 359)], gradient32(359, 239));

    ASSERT_TRUE(post("primDecoderPause"));
    ASSERT_TRUE(post("primDecoderStop"));
    ASSERT_TRUE(call("primShutdownDecoder"));
    ASSERT_TRUE(awaitWorkerEnd());
    EXPECT_EQ(lastError(), 1);
    EXPECT_EQ(decodeSizeWord(), 0u);
    EXPECT_EQ(platform.liveObjects(), 0);

    // Again, on a new graph: frames signal only once a semaphore is set anew.
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_EQ(lastError(), 1);
    EXPECT_EQ(decodeSizeWord(), 720u << 16 | 480u);
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(post("primDecoderRun"));
    uint64_t signals = vm.signalCount(kFrameSemaphore);
    deliver(testplatform::rgb24Frame(720, 480, 1.0, gradient));
    EXPECT_EQ(vm.signalCount(kFrameSemaphore), signals);
    EXPECT_EQ(lastSampleTime(), 0.2);
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
    deliver(testplatform::rgb24Frame(720, 480, 1.04, gradient));
    EXPECT_EQ(vm.signalCount(kFrameSemaphore), signals + 1);
    EXPECT_EQ(lastSampleTime(), 1.04);
}

} // namespace
} // namespace capturetest
