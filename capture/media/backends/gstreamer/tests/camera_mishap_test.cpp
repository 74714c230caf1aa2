// A camera that fails or goes away in the middle of its stream: the status
// tells which within a second, frames stop, and the graph stays until the
// host shuts it down, after which a new start works as usual.
#include "live_capture_fixture.h"

#include <chrono>
#include <ostream>

namespace livetest {
namespace {

struct MishapCase {
    virtualcamera::Mishap mishap;
    int status;
    const char *name;
};

void PrintTo(const MishapCase &mishap, std::ostream *stream) { *stream << mishap.name; }

class StruckCamera : public LiveCaptureTest, public ::testing::WithParamInterface<MishapCase> {};

TEST_P(StruckCamera, IsReportedWithinASecondAndStopsTheFrames) {
    const MishapCase &mishap = GetParam();
    virtualcamera::Camera camera = rawCamera("BGR", 64, 48);
    startCapture({camera});
    auto struck = std::chrono::steady_clock::now();
    virtualcamera::strikeCamera(camera.name, mishap.mishap);
    ASSERT_TRUE(eventually([&] { return lastError() == mishap.status; })) << lastError();
    EXPECT_LT(std::chrono::steady_clock::now() - struck, std::chrono::seconds(1));
    EXPECT_TRUE(awaitFramesStopped());
    EXPECT_EQ(lastError(), mishap.status);

    EXPECT_TRUE(call("primDecoderRequestCapture")) << "the graph stays";
    ASSERT_TRUE(call("primShutdownDecoder"));
    ASSERT_TRUE(awaitWorkerEnd());
    EXPECT_EQ(lastError(), 1);
    startCapture({rawCamera("BGR", 64, 48)});
}

INSTANTIATE_TEST_SUITE_P(Mishaps, StruckCamera,
                         ::testing::Values(MishapCase{virtualcamera::Mishap::StreamError, 4, "StreamError"},
                                           MishapCase{virtualcamera::Mishap::Unplugged, 2, "Unplugged"}),
                         [](const ::testing::TestParamInfo<MishapCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace livetest
