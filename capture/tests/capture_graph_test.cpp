// The graph build: each failing step and its status, the device chosen,
// what the grabber is asked for, and the frame buffer sized from the
// connection.
#include "capture_fixture.h"

#include "com_base.h"

namespace capturetest {
namespace {

std::function<void(Script &)> connectedAt(LONG width, LONG height) {
    return [=](Script &s) {
        s.connectedWidth = width;
        s.connectedHeight = height;
    };
}

// Each failed build ends the worker through the teardown, which gives back
// every object and leaves the build's status readable.
TEST_F(CaptureTest, AFailedBuildReportsItsStepAndGivesEverythingBack) {
    struct Case {
        const char *what;
        std::function<void(Script &)> arrange;
        int status;
    };
    const Case cases[] = {
        {"no video input device", [](Script &s) { s.devices.clear(); }, 2},
        {"no device binds", [](Script &s) { s.devices = {{false, true}, {false, true}}; }, 2},
        {"no device enumerator", [](Script &s) { s.failing = {Step::CreateDeviceEnumerator}; }, 2},
        {"no filter graph", [](Script &s) { s.failing = {Step::CreateGraph}; }, 3},
        {"no sample grabber", [](Script &s) { s.failing = {Step::CreateGrabber}; }, 3},
        {"a grabber without a filter", [](Script &s) { s.failing = {Step::GrabberFilter}; }, 3},
        {"the media type refused", [](Script &s) { s.failing = {Step::SetMediaType}; }, 9},
        {"the filters refused", [](Script &s) { s.failing = {Step::AddFilter}; }, 4},
        {"the pins not connected", [](Script &s) { s.failing = {Step::Connect}; }, 4},
        {"a device without an output pin", [](Script &s) { s.devices = {{true, false}}; }, 4},
        {"the output not rendered", [](Script &s) { s.failing = {Step::Render}; }, 4},
        {"no connected type", [](Script &s) { s.failing = {Step::GetConnectedMediaType}; }, 9},
        {"a connected type without its format", [](Script &s) { s.formatBlockMissing = true; }, 9},
        {"the callback refused", [](Script &s) { s.failing = {Step::SetCallback}; }, 4},
        // A connected frame the buffer cannot keep: sides it cannot hold,
        // 2 GiB or more (whose size wraps 32 bits from
        // 46341 x 46341 on), or memory the system would not give.
        {"a frame 0 pixels wide", connectedAt(0, 240), 9},
        {"a frame 0 rows high", connectedAt(320, 0), 9},
        {"a negative width", connectedAt(-320, 240), 9},
        {"a top-down frame beyond 16 bits", connectedAt(320, -65536), 9},
        {"the largest top-down frame", connectedAt(65535, -65535), 9},
        {"sides beyond 16 bits", connectedAt(65536, 65536), 9},
        {"a width beyond 16 bits", connectedAt(65536, 1), 9},
        {"2 GiB exactly", connectedAt(16384, 32768), 9},
        {"4 GiB, 0 in 32 bits", connectedAt(32768, 32768), 9},
        {"a size wrapping 32 bits", connectedAt(46341, 46341), 9},
        {"a size wrapping 32 bits to 256 KiB", connectedAt(65535, 16385), 9},
        {"the largest sides", connectedAt(65535, 65535), 9},
        {"the frame buffer not allocated", [](Script &) { media::failNext(media::Fault::VirtualAlloc); }, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Script script;
        c.arrange(script);
        platform.configure(script);
        platform.clearLog();
        ASSERT_TRUE(call("primInitializeDecoder"));
        EXPECT_EQ(answerInteger(), 1);
        ASSERT_TRUE(awaitWorkerEnd());
        EXPECT_EQ(lastError(), c.status);
        EXPECT_EQ(platform.liveObjects(), 0);
        EXPECT_EQ(decodeSizeWord(), 0u);
        EXPECT_FALSE(call("primDecoderRun"));
        EXPECT_EQ(lastError(), 6);
        EXPECT_EQ(media::platformCounts().comInitialisations, 0);
    }
}

// A CoInitialize that answers anything but S_OK is recorded, and the build
// goes on to succeed.
TEST_F(CaptureTest, ComInitialisationTroubleIsRecordedAndTheBuildGoesOn) {
    const HRESULT changedMode = static_cast<HRESULT>(0x80010106u);
    media::setCoInitializeResult(changedMode);
    platform.holdAt(Hold::CreateGraph);
    ASSERT_TRUE(call("primInitializeDecoder"));
    ASSERT_TRUE(platform.waitUntilHeld());
    EXPECT_EQ(lastError(), 3);
    int waits = eventWaits();
    platform.releaseHold();
    ASSERT_TRUE(awaitWorkerWait(waits));
    EXPECT_EQ(lastError(), 1);
    EXPECT_EQ(decodeSizeWord(), (320u << 16) | 240u);
}

TEST_F(CaptureTest, UsesTheFirstDeviceThatBinds) {
    Script script;
    script.devices = {{false, true}, {true, true}, {true, true}};
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_EQ(lastError(), 1);
    EXPECT_TRUE(platform.logged("Bind device 1"));
    EXPECT_FALSE(platform.logged("Bind device 2"));
}

TEST_F(CaptureTest, BuildsDeviceGrabberAndPreviewInOrder) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_EQ(lastError(), 1);
    EXPECT_EQ(platform.log(), (std::vector<std::string>{"Bind device 0", "AddFilter Cap", "AddFilter Grabber", "Connect",
                                                        "Render", "SetBufferSamples 0", "SetOneShot 0",
                                                        "SetCallback 1"}));
    std::map<std::string, DWORD> contexts = platform.creationContexts();
    EXPECT_EQ(contexts["FilterGraph"], DWORD(CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER));
    EXPECT_EQ(contexts["SystemDeviceEnum"], DWORD(CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER));
    EXPECT_EQ(contexts["SampleGrabber"], DWORD(CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER));
    EXPECT_EQ(media::platformCounts().lastThreadPriority, 2);
}

TEST_F(CaptureTest, AsksTheGrabberForRgb24Video) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    AM_MEDIA_TYPE type = platform.requestedMediaType();
    EXPECT_TRUE(type.majortype == MEDIATYPE_Video);
    EXPECT_TRUE(type.subtype == MEDIASUBTYPE_RGB24);
    EXPECT_TRUE(type.formattype == FORMAT_VideoInfo);
    EXPECT_EQ(type.bFixedSizeSamples, FALSE);
    EXPECT_EQ(type.bTemporalCompression, FALSE);
    EXPECT_EQ(type.lSampleSize, 0u);
    EXPECT_EQ(type.pUnk, nullptr);
    EXPECT_EQ(type.cbFormat, 88u);
    VIDEOINFOHEADER format = platform.requestedVideoFormat();
    for (const RECT &rect : {format.rcSource, format.rcTarget}) {
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, 320);
        EXPECT_EQ(rect.bottom, 240);
    }
    EXPECT_EQ(format.bmiHeader.biSize, 40u);
    EXPECT_EQ(format.bmiHeader.biPlanes, 1);
    EXPECT_EQ(format.bmiHeader.biBitCount, 32);
    EXPECT_EQ(format.bmiHeader.biCompression, 3u);
    EXPECT_EQ(format.bmiHeader.biWidth, 0);
    EXPECT_EQ(format.bmiHeader.biHeight, 0);
    EXPECT_EQ(format.dwBitRate, 0u);
    EXPECT_EQ(format.AvgTimePerFrame, 0);
}

// The connection, not the requested 320 x 240, sizes the buffer, which
// starts zero-filled: before any capture it converts to opaque black.
TEST_F(CaptureTest, TheConnectionSizesAZeroFilledFrameBuffer) {
    Script script;
    script.connectedWidth = 720;
    script.connectedHeight = 480;
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_EQ(decodeSizeWord(), 47186400u);
    HostWord bitmap = om.newBitmap(720, 480, 32, 0x12345678u);
    ASSERT_TRUE(copyInto(bitmap));
    for (uint32_t word : wordsOf(bitmap)) ASSERT_EQ(word, 0xFF000000u);
}

// The largest sides decodeSize can report are kept.
TEST_F(CaptureTest, TheLargestSidesAreKept) {
    for (LONG width : {65535, 1}) {
        LONG height = 65536 - width;
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Script script;
        script.connectedWidth = width;
        script.connectedHeight = height;
        platform.configure(script);
        ASSERT_TRUE(initializeAndAwaitBuild());
        EXPECT_EQ(lastError(), 1);
        EXPECT_EQ(decodeSizeWord(), uint32_t(width) << 16 | uint32_t(height));
        ASSERT_TRUE(call("primShutdownDecoder"));
        ASSERT_TRUE(awaitWorkerEnd());
    }
}

} // namespace
} // namespace capturetest
