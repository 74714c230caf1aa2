// The libraries that ship, and nothing else: libPelquist.so, its platform
// runtime and the runtime's GStreamer backend, copied into a folder of
// their own, loaded from there by a host that links no library of the
// tests, capture from the virtual camera, and no test-only library is
// loaded on the way.
#include "capture_session.h"
#include "test_pattern.h"
#include "virtual_camera.h"

#include <gst/gst.h>
#include <link.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace livetest {
namespace {

namespace fs = std::filesystem;

const char *const kShippedLibraries[] = {"libPelquist.so", "libcapture_media.so", "libcapture_gstreamer.so"};

std::vector<fs::path> loadedObjects() {
    std::vector<fs::path> paths;
    dl_iterate_phdr(
        [](dl_phdr_info *object, size_t, void *found) {
            static_cast<std::vector<fs::path> *>(found)->push_back(object->dlpi_name);
            return 0;
        },
        &paths);
    return paths;
}

class ShippedLibraries : public capturesession::CaptureSession {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
        ASSERT_TRUE(virtualcamera::registerVirtualCamera());
        std::string pattern = (fs::temp_directory_path() / "shipped-capture-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        for (const char *library : kShippedLibraries)
            fs::copy_file(fs::path(host::Plugin::defaultDirectory()) / library, folder / library);
        std::string error;
        plugin = host::Plugin::open("Pelquist", folder.string(), &error).release();
        ASSERT_NE(plugin, nullptr) << error;
    }
    // The libraries stay mapped; only their files go.
    static void TearDownTestSuite() { fs::remove_all(folder); }

    void SetUp() override {
        CaptureSession::SetUp();
        vm.offerWindow(0x2A);
    }

    static fs::path folder;
};

fs::path ShippedLibraries::folder;

TEST_F(ShippedLibraries, CaptureFromTheirOwnFolderWithNoTestOnlyLibraryLoaded) {
    virtualcamera::offerCameras({virtualcamera::Camera{}});
    ASSERT_TRUE(call("primInitializeDecoder"));
    // The window can be shown once the worker's build has made the graph.
    ASSERT_TRUE(waitUntil([&] { return call("primDecoderShowWindow", {om.trueObject()}); }));
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(capturesession::kFrameSemaphore)}));
    ASSERT_TRUE(call("primDecoderRun"));
    ASSERT_TRUE(awaitFrames(3));
    EXPECT_EQ(lastError(), 1);
    capturesession::FrameSize size = decodeSize();
    EXPECT_EQ(barsMismatch(captureFrame(32), size.width, size.height, 32, 8), "");

    std::vector<fs::path> loaded = loadedObjects();
    for (const fs::path &object : loaded)
        EXPECT_EQ(object.string().find("/test-only/"), std::string::npos) << object;
    for (const char *library : kShippedLibraries) {
        int copies = 0;
        for (const fs::path &object : loaded)
            if (object.filename() == library) {
                ++copies;
                EXPECT_EQ(object.parent_path(), folder) << object;
            }
        EXPECT_EQ(copies, 1) << library;
    }
    shutdownModule();
}

} // namespace
} // namespace livetest
