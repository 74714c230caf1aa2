// Which mode of a camera is captured: the first its device lists, however
// its source answers before it is settled; and a mode that cannot be
// negotiated fails the capture with status 9 instead of reporting success.
#include "live_capture_fixture.h"
#include "test_pattern.h"

#include <cctype>

namespace livetest {
namespace {

using LiveModes = LiveCaptureTest;

virtualcamera::Camera webcam(const char *mode) {
    virtualcamera::Camera camera;
    EXPECT_TRUE(virtualcamera::cameraOfMode(mode, &camera)) << mode;
    return camera;
}

// An MJPEG camera whose source answers a caps query with the encoder's
// open ranges, while its device lists exactly 1920 x 1080 at 30.
TEST_F(LiveModes, AnMjpegCameraIsCapturedInTheModeItsDeviceAdvertises) {
    virtualcamera::Camera camera = webcam("mjpeg-1920x1080@30");
    camera.laterModes.clear();
    ASSERT_TRUE(camera.answersOpenCaps);
    startCapture({camera});
    EXPECT_EQ(decodeSize(), (FrameSize{1920, 1080}));
    EXPECT_EQ(lastError(), 1);
}

// The first-listed mode wins even where a later one is what the grabber
// takes without any conversion.
TEST_F(LiveModes, TheFirstModeTheDeviceListsIsTaken) {
    struct Case {
        virtualcamera::Camera camera;
        FrameSize expected;
    };
    virtualcamera::Camera bgr = rawCamera("BGR", 96, 72);
    bgr.laterModes = {{64, 48, 30}};
    virtualcamera::Camera yuy2 = rawCamera("YUY2", 160, 120);
    yuy2.laterModes = {{64, 48, 30}, {320, 240, 30}};
    const Case cases[] = {
        {bgr, {96, 72}},
        {yuy2, {160, 120}},
        {webcam("yuy2-1280x720@30"), {1280, 720}},
        {webcam("nv12-640x480@30"), {640, 480}},
        {webcam("mjpeg-1280x720@60"), {1280, 720}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.camera.name + " " + std::to_string(c.camera.width) + "x" + std::to_string(c.camera.height));
        startCapture({c.camera});
        EXPECT_EQ(decodeSize(), c.expected);
        shutdownModule();
        ASSERT_TRUE(awaitWorkerEnd());
    }
}

// The device lists a mode its source cannot send. A source that says so
// when asked is refused its connection (4); one that answers open ranges
// is built, and its stream stops on the format (9), with no frame.
TEST_F(LiveModes, AModeThatCannotBeNegotiatedFailsTheCapture) {
    for (bool answersOpenCaps : {false, true}) {
        SCOPED_TRACE(answersOpenCaps ? "open caps" : "its own caps");
        const int status = answersOpenCaps ? 9 : 4;
        virtualcamera::Camera camera = webcam("mjpeg-640x480@30");
        camera.answersOpenCaps = answersOpenCaps;
        camera.laterModes.clear();
        camera.modesSent = {{320, 240, 30}};
        virtualcamera::offerCameras({camera});
        ASSERT_TRUE(initializeAndAwaitBuild());
        if (lastError() == 1) {
            ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
            ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
            ASSERT_TRUE(call("primDecoderRun"));
            EXPECT_TRUE(eventually([&] { return lastError() == status; }));
        }
        EXPECT_EQ(lastError(), status);
        EXPECT_EQ(framesSignalled(), 0u);
        shutdownModule();
        ASSERT_TRUE(awaitWorkerEnd());
    }
}

struct WebcamCase {
    const char *mode;
    int tolerance; // per channel
};

void PrintTo(const WebcamCase &webcamCase, std::ostream *stream) { *stream << webcamCase.mode; }

class WebcamBars : public LiveCaptureTest, public ::testing::WithParamInterface<WebcamCase> {};

// The pictures captured at the sizes webcams send, in their first mode.
TEST_P(WebcamBars, ShowInTheBitmapAtDepth32And16) {
    virtualcamera::Camera camera;
    ASSERT_TRUE(virtualcamera::cameraOfMode(GetParam().mode, &camera));
    startCapture({camera});
    const FrameSize size = decodeSize();
    ASSERT_EQ(size, (FrameSize{camera.width, camera.height}));
    EXPECT_EQ(barsMismatch(captureFrame(32), size.width, size.height, 32, GetParam().tolerance), "");
    EXPECT_EQ(barsMismatch(captureFrame(16), size.width, size.height, 16, GetParam().tolerance), "");
}

// YUV rounds each channel by a few steps; JPEG, quantising the same
// chroma again, by a few more at the bars' centres.
INSTANTIATE_TEST_SUITE_P(Modes, WebcamBars,
                         ::testing::Values(WebcamCase{"yuy2-1280x720@30", 8}, WebcamCase{"nv12-1280x720@30", 8},
                                           WebcamCase{"mjpeg-1280x720@30", 16}, WebcamCase{"mjpeg-1920x1080@30", 16},
                                           WebcamCase{"yuy2-1920x1080@30", 8}),
                         [](const ::testing::TestParamInfo<WebcamCase> &info) {
                             std::string name = info.param.mode;
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// Uncompressed BGR at 720p is captured exactly.
TEST_F(LiveModes, A720pBgrCameraIsCapturedExactly) {
    startCapture({rawCamera("BGR", 1280, 720)});
    EXPECT_EQ(barsMismatch(captureFrame(32), 1280, 720, 32, 0), "");
    EXPECT_EQ(barsMismatch(captureFrame(16), 1280, 720, 16, 0), "");
}

TEST(VirtualCameraModes, ModesAreNamedByFormatSizeAndRate) {
    virtualcamera::Camera camera;
    ASSERT_TRUE(virtualcamera::cameraOfMode("MJPEG-1280x720@60", &camera));
    EXPECT_EQ(camera.output, virtualcamera::Output::Jpeg);
    EXPECT_EQ(camera.width, 1280);
    EXPECT_EQ(camera.height, 720);
    EXPECT_EQ(camera.framesPerSecond, 60);
    EXPECT_EQ(camera.laterModes.size(), virtualcamera::kWebcamModes.size() - 1);
    for (const char *wrong : {"", "yuy2", "yuy2-1280x720", "bgr-640x480@30", "nv12-0x480@30", "nv12-640x480@30x"}) {
        SCOPED_TRACE(wrong);
        EXPECT_FALSE(virtualcamera::cameraOfMode(wrong, &camera));
    }
}

} // namespace
} // namespace livetest
