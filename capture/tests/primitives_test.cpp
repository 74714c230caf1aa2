// Each primitive's stack effect and its failures when there is no graph
// yet, or when an argument is of the wrong kind.
#include "capture_fixture.h"

namespace capturetest {
namespace {

using host::StackEffect;

std::vector<StackEffect> answered(HostWord entries, HostWord object) {
    return {{StackEffect::PopAndPush, entries, object}};
}

TEST_F(CaptureTest, RequestsWithoutAGraphFailWithStatus6) {
    for (const char *primitive : {"primDecoderRun", "primDecoderPause", "primDecoderStop", "primDecoderRequestCapture"}) {
        SCOPED_TRACE(primitive);
        ASSERT_TRUE(call("primDecoderSetRenderRect", {smallInteger(0), smallInteger(0), smallInteger(0), smallInteger(0)}));
        EXPECT_FALSE(call(primitive));
        EXPECT_TRUE(vm.stackEffects().empty());
        EXPECT_EQ(lastError(), 6);
    }
}

TEST_F(CaptureTest, ShutdownWithoutAGraphAnswersZeroWithoutFailing) {
    ASSERT_TRUE(call("primDecoderSetRenderRect", {smallInteger(0), smallInteger(0), smallInteger(0), smallInteger(0)}));
    EXPECT_TRUE(call("primShutdownDecoder"));
    EXPECT_EQ(vm.stackEffects(), answered(1, smallInteger(0)));
    EXPECT_EQ(lastError(), 6);
}

TEST_F(CaptureTest, ArgumentPrimitivesReplaceReceiverAndArguments) {
    EXPECT_TRUE(call("primDecoderSetRenderRect", {smallInteger(-5), smallInteger(0), smallInteger(7), smallInteger(-1)}));
    EXPECT_EQ(vm.stackEffects(), answered(5, smallInteger(1)));
    for (HostWord index : {3, 0, -2}) {
        EXPECT_TRUE(call("primSetFrameSemaphore", {smallInteger(index)}));
        EXPECT_EQ(vm.stackEffects(), answered(2, smallInteger(1)));
        EXPECT_EQ(lastError(), 1);
    }
}

// A read of the wrong kind stops the primitive before its operation, so
// lastStatus keeps the 6 of the failed run before it.
TEST_F(CaptureTest, ReadsOfTheWrongKindFailAndLeaveTheStatus) {
    HostWord real = om.newFloat(1.0);
    HostWord one = smallInteger(1);
    struct Case {
        const char *primitive;
        std::vector<HostWord> arguments;
    };
    const Case cases[] = {
        {"primDecoderShowWindow", {one}},
        {"primDecoderShowWindow", {om.nil()}},
        {"primDecoderSetRenderRect", {real, one, one, one}},
        {"primDecoderSetRenderRect", {one, real, one, one}},
        {"primDecoderSetRenderRect", {one, one, real, one}},
        {"primDecoderSetRenderRect", {one, one, one, real}},
        {"primDecoderSetDecodeSize", {real, smallInteger(240)}},
        {"primDecoderSetDecodeSize", {smallInteger(360), om.nil()}},
        {"primSetFrameSemaphore", {real}},
        {"primDecoderCopyLastCapturedFrameInto", {one}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.primitive);
        EXPECT_FALSE(call("primDecoderRun"));
        host::Plugin::Primitive primitive = plugin->primitive(c.primitive);
        ASSERT_NE(primitive, nullptr);
        vm.prepareCall(receiver(), {});
        vm.stack().insert(vm.stack().end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(primitive(), 0);
        EXPECT_TRUE(vm.failed());
        EXPECT_TRUE(vm.stackEffects().empty());
        EXPECT_EQ(lastError(), 6);
    }
}

TEST_F(CaptureTest, InitializeWithoutAHostWindowFailsAndStartsNothing) {
    vm.withdrawWindow();
    EXPECT_FALSE(call("primDecoderRun"));
    EXPECT_FALSE(call("primInitializeDecoder"));
    EXPECT_TRUE(vm.stackEffects().empty());
    EXPECT_EQ(lastError(), 6);
    EXPECT_EQ(media::platformCounts().threadsRunning, 0);
    EXPECT_EQ(platform.creationContexts().size(), 0u);
}

// Before any frame buffer the frame is 0 x 0: any bitmap of depth 16 or 32
// passes, and nothing is written.
TEST_F(CaptureTest, CopyBeforeAnyFrameAnswersOneAndWritesNothing) {
    for (int depth : {16, 32}) {
        for (int side : {0, 3}) {
            HostWord bitmap = om.newBitmap(side, side, depth, 0xDEADBEEF);
            EXPECT_TRUE(copyInto(bitmap));
            EXPECT_EQ(vm.stackEffects(), answered(2, smallInteger(1)));
            for (uint32_t word : wordsOf(bitmap)) EXPECT_EQ(word, 0xDEADBEEFu);
        }
    }
}

TEST_F(CaptureTest, CopyRefusesDepthsItCannotWrite) {
    struct Case {
        int depth, statusAfter;
    };
    // Below 16 the frame is never consulted; other depths after it was.
    for (Case c : {Case{8, 6}, Case{15, 6}, Case{24, 1}, Case{31, 1}, Case{33, 1}}) {
        SCOPED_TRACE(c.depth);
        EXPECT_FALSE(call("primDecoderRun"));
        EXPECT_FALSE(copyInto(om.newBitmap(2, 2, c.depth)));
        EXPECT_TRUE(vm.stackEffects().empty());
        EXPECT_EQ(lastError(), c.statusAfter);
    }
}

TEST_F(CaptureTest, CopyRefusesABitmapWithoutAWordArray) {
    for (HostWord pixels : {smallInteger(5), om.newPointers(4), om.nil(), om.newFloat(2.0)}) {
        EXPECT_FALSE(call("primDecoderRun"));
        HostWord bitmap = om.newBitmapWithSlots(pixels, smallInteger(0), smallInteger(0), smallInteger(32));
        EXPECT_FALSE(copyInto(bitmap));
        EXPECT_TRUE(vm.stackEffects().empty());
        EXPECT_EQ(lastError(), 6);
    }
}

} // namespace
} // namespace capturetest
