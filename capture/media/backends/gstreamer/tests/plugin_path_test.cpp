// The virtual camera as any host gets it: the plugin built into
// lib/gstreamer/, found through GST_PLUGIN_PATH, offering its default
// cameras. Only the suite's run with that variable set takes part.
#include "live_capture_fixture.h"
#include "test_pattern.h"

#include <gst/gst.h>

#include <cstdlib>

namespace livetest {
namespace {

using VirtualCameraPlugin = LiveCaptureTest;

TEST_F(VirtualCameraPlugin, OffersTheTestPatternCameraFirst) {
    if (std::getenv("GST_PLUGIN_PATH") == nullptr) GTEST_SKIP() << "GST_PLUGIN_PATH is not set";
    GstPlugin *plugin = gst_registry_find_plugin(gst_registry_get(), "virtualcamera");
    ASSERT_NE(plugin, nullptr);
    EXPECT_NE(gst_plugin_get_filename(plugin), nullptr) << "registered in process, not loaded from a file";
    gst_object_unref(plugin);

    // offerCameras reaches only the in-process provider: the plugin's
    // own defaults stand.
    startCapture({});
    FrameSize size = decodeSize();
    EXPECT_EQ(size.width, 320);
    EXPECT_EQ(size.height, 240);
    EXPECT_EQ(barsMismatch(captureFrame(32), size.width, size.height, 32, 8), "");
}

} // namespace
} // namespace livetest
