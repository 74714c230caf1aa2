// With no video input device listed, the worker's build gives up with
// status 2 and ends; the decoder then refuses every post.
#include "test_camera_server.h"
#include "wine_capture_fixture.h"

namespace winetest {
namespace {

class NoCameraTest : public WineCaptureTest {
protected:
    void SetUp() override {
        std::string error;
        TestCameraServer *camera = TestCameraServer::instance(&error);
        ASSERT_NE(camera, nullptr) << error;
        ASSERT_EQ(camera->unregisterCamera(), S_OK);
        WineCaptureTest::SetUp();
    }
};

TEST_F(NoCameraTest, TheBuildEndsWithNoDeviceAndPostsAreRefused) {
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(initialize());
        EXPECT_EQ(answerInteger(), 1);
        EXPECT_EQ(awaitBuildFailure(), 2);
        EXPECT_EQ(lastError(), 2);
        EXPECT_EQ(decodeSize(), FrameSize{});

        for (const char *post : {"primDecoderRun", "primDecoderPause", "primDecoderStop", "primDecoderRequestCapture"}) {
            EXPECT_FALSE(call(post)) << post;
            EXPECT_EQ(lastError(), 6) << post;
        }
        ASSERT_TRUE(call("primShutdownDecoder"));
        EXPECT_EQ(answerInteger(), 0);
        EXPECT_EQ(lastError(), 6);
    }
}

} // namespace
} // namespace winetest
