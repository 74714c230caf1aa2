// The preview window placed in the host's window, and the DV decoder's
// four resolutions.
#include "capture_fixture.h"

namespace capturetest {
namespace {

std::vector<std::string> windowCalls(HostWord owner, LONG autoShow, LONG visible, std::vector<LONG> rect) {
    std::vector<std::string> calls = {"put_WindowStyle " + std::to_string(0x44000000),
                                      "put_AutoShow " + std::to_string(autoShow)};
    std::string ownerCall = "put_Owner " + std::to_string(owner);
    std::string visibleCall = "put_Visible " + std::to_string(visible);
    // Shown: owner, then visible; hidden: invisible first, then no owner.
    if (visible != 0) {
        calls.push_back(ownerCall);
        calls.push_back(visibleCall);
    } else {
        calls.push_back(visibleCall);
        calls.push_back(ownerCall);
    }
    const char *names[] = {"put_Left ", "put_Top ", "put_Width ", "put_Height "};
    for (size_t i = 0; i < 4; ++i) calls.push_back(names[i] + std::to_string(rect[i]));
    return calls;
}

TEST_F(CaptureTest, ShowingBeforeAnyRectangleUsesAnEmptyOne) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    platform.clearLog();
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_EQ(vm.stackEffects(), (std::vector<host::StackEffect>{{host::StackEffect::PopAndPush, 2, smallInteger(1)}}));
    EXPECT_EQ(platform.log(), windowCalls(kHostWindow, -1, -1, {0, 0, 0, 0}));
    EXPECT_EQ(lastError(), 1);
}

// The rectangle is stored as given, negative or zero, and reaches the
// window only with the next show or hide.
TEST_F(CaptureTest, HidingDetachesTheWindowAtTheStoredRectangle) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(call("primDecoderSetRenderRect", {smallInteger(10), smallInteger(20), smallInteger(-30), smallInteger(0)}));
    EXPECT_FALSE(call("primDecoderSetRenderRect", {smallInteger(1), smallInteger(2), om.newFloat(3.0), smallInteger(4)}));
    platform.clearLog();
    ASSERT_TRUE(call("primDecoderShowWindow", {om.falseObject()}));
    EXPECT_EQ(platform.log(), windowCalls(0, 0, 0, {10, 20, -30, 0}));
}

// A host word wider than the window's 32-bit values saturates to the
// nearest one instead of losing its high bits.
TEST_F(CaptureTest, RectangleValuesBeyondThirtyTwoBitsSaturate) {
    if (sizeof(HostWord) <= sizeof(LONG)) GTEST_SKIP() << "host words fit the window's values";
    // Computed in 64 bits: on a 32-bit host the test is skipped, but built.
    const HostWord beyond = HostWord(int64_t(1) << 40), above = HostWord(int64_t(INT32_MAX) + 1),
                   below = HostWord(int64_t(INT32_MIN) - 1);
    struct Case {
        std::vector<HostWord> given;
        std::vector<LONG> reaching;
    };
    const Case cases[] = {
        {{beyond, -beyond, beyond + 7, 5}, {INT32_MAX, INT32_MIN, INT32_MAX, 5}},
        {{above, below, 65536, HostWord(-int64_t(INT32_MAX) - 1)}, {INT32_MAX, INT32_MIN, 65536, INT32_MIN}},
        {{INT32_MIN, INT32_MAX, -1, 0}, {INT32_MIN, INT32_MAX, -1, 0}},
    };
    ASSERT_TRUE(initializeAndAwaitBuild());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.given[0]);
        ASSERT_TRUE(call("primDecoderSetRenderRect", {smallInteger(c.given[0]), smallInteger(c.given[1]),
                                                      smallInteger(c.given[2]), smallInteger(c.given[3])}));
        platform.clearLog();
        ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
        EXPECT_EQ(platform.log(), windowCalls(kHostWindow, -1, -1, c.reaching));
    }
}

TEST_F(CaptureTest, TheWindowNeedsAGraphAHostWindowAndTheInterface) {
    EXPECT_FALSE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_EQ(lastError(), 6);

    Script script;
    script.failing = {Step::VideoWindow};
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_FALSE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_EQ(lastError(), 7);
    ASSERT_TRUE(call("primShutdownDecoder"));
    ASSERT_TRUE(awaitWorkerEnd());

    // After the teardown both the graph and the host window are gone.
    EXPECT_FALSE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_EQ(lastError(), 6);
}

class DecodeSizeTest : public CaptureTest {
protected:
    void startWithDvDecoder(std::set<int> refused = {}) {
        Script script;
        script.hasDvDecoder = true;
        script.connectedWidth = 720;
        script.connectedHeight = 480;
        script.dvDecoder.refusedDisplays = std::move(refused);
        platform.configure(script);
        ASSERT_TRUE(initializeAndAwaitBuild());
        ASSERT_EQ(lastError(), 1);
    }
    bool setDecodeSize(HostWord width, HostWord height) {
        return call("primDecoderSetDecodeSize", {smallInteger(width), smallInteger(height)});
    }
};

TEST_F(DecodeSizeTest, EachResolutionResizesTheFrameBuffer) {
    startWithDvDecoder();
    struct Case {
        HostWord width, height;
        int display;
    };
    for (Case c : {Case{360, 240, 1001}, Case{180, 120, 1002}, Case{88, 60, 1003}, Case{720, 480, 1000}}) {
        SCOPED_TRACE(c.display);
        platform.clearLog();
        ASSERT_TRUE(setDecodeSize(c.width, c.height));
        EXPECT_EQ(vm.stackEffects(), (std::vector<host::StackEffect>{{host::StackEffect::PopAndPush, 3, smallInteger(1)}}));
        EXPECT_EQ(platform.log(), std::vector<std::string>{"put_IPDisplay " + std::to_string(c.display)});
        EXPECT_EQ(decodeSizeWord(), uint32_t(c.width) << 16 | uint32_t(c.height));
        EXPECT_EQ(lastError(), 1);
    }
}

TEST_F(DecodeSizeTest, SizesOutsideTheTableAreRejectedUnasked) {
    startWithDvDecoder();
    platform.clearLog();
    struct Case {
        HostWord width, height;
    };
    for (Case c : {Case{720, 240}, Case{640, 480}, Case{88, 61}, Case{0, 0}, Case{-720, 480}}) {
        EXPECT_FALSE(setDecodeSize(c.width, c.height));
        EXPECT_EQ(lastError(), 10);
    }
    EXPECT_TRUE(platform.log().empty());
    EXPECT_EQ(decodeSizeWord(), 47186400u);
}

TEST_F(DecodeSizeTest, ARefusedResolutionKeepsTheBuffer) {
    startWithDvDecoder({DVRESOLUTION_QUARTER});
    EXPECT_FALSE(setDecodeSize(180, 120));
    EXPECT_EQ(lastError(), 10);
    EXPECT_TRUE(platform.logged("put_IPDisplay 1002"));
    EXPECT_EQ(decodeSizeWord(), 47186400u);
}

// The decoder took the size but no buffer could be had for it: the size
// change fails with 9, the frame reads as 0 x 0, and a requested capture
// copies nothing while frames go on.
TEST_F(DecodeSizeTest, ABufferNotAllocatedForTheNewSizeRecords9) {
    startWithDvDecoder();
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(post("primDecoderRun"));
    media::failNext(media::Fault::VirtualAlloc);
    EXPECT_FALSE(setDecodeSize(360, 240));
    EXPECT_EQ(lastError(), 9);
    EXPECT_EQ(decodeSizeWord(), 0u);
    capture(testplatform::rgb24Frame(360, 240, 1.0, [](int, int) { return testplatform::Bgr{1, 2, 3}; }));
    HostWord bitmap = om.newBitmap(4, 4, 32, 7u);
    EXPECT_TRUE(copyInto(bitmap));
    for (uint32_t word : wordsOf(bitmap)) EXPECT_EQ(word, 7u);
    ASSERT_TRUE(setDecodeSize(180, 120));
    EXPECT_EQ(decodeSizeWord(), 180u << 16 | 120u);
}

TEST_F(DecodeSizeTest, WithoutADvDecoderEverySizeIsRejected) {
    EXPECT_FALSE(setDecodeSize(360, 240));
    EXPECT_EQ(lastError(), 10);
    ASSERT_TRUE(initializeAndAwaitBuild());
    for (auto size : {std::make_pair(720, 480), std::make_pair(360, 240), std::make_pair(180, 120),
                      std::make_pair(88, 60)}) {
        EXPECT_FALSE(setDecodeSize(size.first, size.second));
        EXPECT_EQ(lastError(), 10);
    }
}

// When the new connection cannot be read the buffer and its size stay.
TEST_F(DecodeSizeTest, AnUnreadableConnectionAfterwardsRecords9) {
    startWithDvDecoder();
    Script script = platform.script();
    script.failing = {Step::GetConnectedMediaType};
    platform.configure(script);
    EXPECT_FALSE(setDecodeSize(360, 240));
    EXPECT_EQ(lastError(), 9);
    EXPECT_EQ(decodeSizeWord(), 47186400u);
}

} // namespace
} // namespace capturetest
