// The grabber callback as the framework sees it, and its per-frame rules:
// a requested capture keeps exactly one frame, and every frame records its
// time and signals the chosen semaphore.
#include "capture_fixture.h"

#include "media_guids.h"

namespace capturetest {
namespace {

using testplatform::Bgr;
using testplatform::rgb24Frame;

// A 4 x 2 frame of one colour.
testplatform::Frame uniformFrame(uint8_t value, double time) {
    return rgb24Frame(4, 2, time, [=](int, int) { return Bgr{value, value, value}; });
}

uint32_t grey32(uint8_t value) { return 0xFF000000u | uint32_t(value) * 0x010101u; }

class CallbackTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        script.connectedWidth = 4;
        script.connectedHeight = 2;
    }
    // The kept frame's first pixel, at depth 32.
    uint32_t keptPixel() {
        HostWord bitmap = om.newBitmap(4, 2, 32);
        EXPECT_TRUE(copyInto(bitmap));
        return wordsOf(bitmap)[0];
    }
    Script script;
};

TEST_F(CallbackTest, AnswersItsTwoInterfacesAndCountsNothing) {
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ISampleGrabberCB *callback = platform.registeredCallback();
    ASSERT_NE(callback, nullptr);
    for (const IID &iid : {IID_IUnknown, IID_ISampleGrabberCB}) {
        void *out = nullptr;
        EXPECT_EQ(callback->QueryInterface(iid, &out), S_OK);
        EXPECT_EQ(out, static_cast<void *>(callback));
    }
    void *out = &out;
    EXPECT_EQ(callback->QueryInterface(IID_IBaseFilter, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(callback->AddRef(), 1u);
        EXPECT_EQ(callback->Release(), 0u);
    }
    EXPECT_EQ(callback->SampleCB(1.0, nullptr), S_OK);
}

TEST_F(CallbackTest, OneRequestKeepsExactlyTheNextFrame) {
    startRunningDecoder(script);
    capture(uniformFrame(0x11, 1.0));
    deliver(uniformFrame(0x22, 2.0));
    EXPECT_EQ(keptPixel(), grey32(0x11));
    // Repeated requests before a frame make one capture.
    ASSERT_TRUE(call("primDecoderRequestCapture"));
    capture(uniformFrame(0x33, 3.0));
    deliver(uniformFrame(0x44, 4.0));
    EXPECT_EQ(keptPixel(), grey32(0x33));
}

TEST_F(CallbackTest, EveryFrameRecordsItsTimeAndSignals) {
    startRunningDecoder(script);
    capture(uniformFrame(0x11, 1.25));
    deliver(uniformFrame(0x22, 2.5));
    EXPECT_EQ(vm.signalCount(kFrameSemaphore), 2u);
    EXPECT_EQ(lastSampleTime(), 2.5);
    // Without a semaphore frames are still timed.
    for (HostWord index : {0, -1}) {
        ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(index)}));
        deliver(uniformFrame(0x22, 7.0 + double(index)));
        EXPECT_EQ(lastSampleTime(), 7.0 + double(index));
    }
    EXPECT_EQ(vm.signalCount(kFrameSemaphore), 2u);
    EXPECT_EQ(vm.signalCount(0), 0u);
}

// Until a semaphore is chosen, frames change nothing but a requested buffer.
TEST_F(CallbackTest, BeforeASemaphoreFramesOnlyFillTheBuffer) {
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(post("primDecoderRun"));
    capture(uniformFrame(0x55, 4.0));
    EXPECT_EQ(lastSampleTime(), 0.0);
    EXPECT_EQ(vm.signalCount(kFrameSemaphore), 0u);
    EXPECT_EQ(keptPixel(), grey32(0x55));
}

// A sample longer than the buffer is cut to the buffer (AddressSanitizer
// watches the bound); the kept part is the sample's start.
TEST_F(CallbackTest, ALongSampleIsCutToTheBuffer) {
    startRunningDecoder(script);
    testplatform::Frame frame;
    frame.sampleTime = 1.0;
    frame.bytes.assign(4096, 0x66);
    capture(frame);
    EXPECT_EQ(keptPixel(), grey32(0x66));
}

// A short sample overwrites only its own length: the rest of the picture
// stays as the frame kept before left it, capture after capture.
TEST_F(CallbackTest, AShortSampleKeepsThePreviousFramesRest) {
    startRunningDecoder(script);
    capture(uniformFrame(0x11, 1.0));
    capture(uniformFrame(0x22, 2.0));
    for (double time : {3.0, 4.0}) {
        testplatform::Frame frame;
        frame.sampleTime = time;
        frame.bytes.assign(12, uint8_t(time) * 0x11); // the first row in memory, the picture's bottom
        capture(frame);
        HostWord bitmap = om.newBitmap(4, 2, 32);
        ASSERT_TRUE(copyInto(bitmap));
        const std::vector<uint32_t> words = wordsOf(bitmap);
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(words[size_t(x)], grey32(0x22)) << x;
            EXPECT_EQ(words[size_t(4 + x)], grey32(uint8_t(time) * 0x11)) << x;
        }
    }
}

// The request outlives the graph it was made on.
TEST_F(CallbackTest, APendingCaptureIsServedByTheNextGraph) {
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(call("primDecoderRequestCapture"));
    ASSERT_TRUE(call("primShutdownDecoder"));
    ASSERT_TRUE(awaitWorkerEnd());
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(post("primDecoderRun"));
    deliver(uniformFrame(0x77, 1.0));
    EXPECT_EQ(keptPixel(), grey32(0x77));
}

} // namespace
} // namespace capturetest
