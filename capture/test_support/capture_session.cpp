#include "capture_session.h"

#include <string>

namespace capturesession {

host::Plugin *CaptureSession::plugin = nullptr;

void CaptureSession::loadPlugin() {
    if (plugin != nullptr) return;
    std::string error;
    plugin = host::Plugin::open("Pelquist", host::Plugin::defaultDirectory(), &error).release();
    ASSERT_NE(plugin, nullptr) << error;
}

void CaptureSession::SetUp() {
    ASSERT_NE(plugin, nullptr);
    attach(vm, *plugin);
    ASSERT_TRUE(bindAndInitialise());
}

void CaptureSession::shutdownModule() { ASSERT_TRUE(moduleEntry("shutdownModule").has_value()); }

void CaptureSession::checkCall(const char *primitive, bool exported, HostWord returned) {
    EXPECT_TRUE(exported) << primitive;
    EXPECT_EQ(returned, 0) << primitive << " returns 0 on every path";
}

std::vector<uint32_t> CaptureSession::captureFrame(int depth) {
    const HostWord bitmap = captureIntoNewBitmap(depth);
    EXPECT_NE(bitmap, 0) << "no frame was captured, status " << lastError();
    return bitmap != 0 ? wordsOf(bitmap) : std::vector<uint32_t>();
}

} // namespace capturesession
