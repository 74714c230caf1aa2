#include "capture_fixture.h"

#include <optional>

namespace capturetest {

std::string pluginDirectory() {
#if defined(_WIN32)
    return host::Plugin::defaultDirectory() + "/test-only";
#else
    return host::Plugin::defaultDirectory();
#endif
}

bool eventually(const std::function<bool()> &condition) {
    return host::PelquistDriver::pollUntil(condition, testplatform::kPatience);
}

void CaptureTest::SetUp() {
    media::clearFaults();
    std::string error;
    plugin = host::Plugin::open("Pelquist", pluginDirectory(), &error);
    ASSERT_NE(plugin, nullptr) << error;
    attach(vm, *plugin);
    ASSERT_TRUE(bindAndInitialise());
    vm.offerWindow(kHostWindow);
    before_ = media::platformCounts();
}

void CaptureTest::TearDown() {
    if (plugin == nullptr) return;
    platform.releaseHold();
    media::clearFaults();
    callModule("shutdownModule");
    // shutdownModule has waited for the worker: nothing may be left running.
    media::PlatformCounts after = media::platformCounts();
    EXPECT_EQ(after.threadsRunning, 0);
    EXPECT_EQ(platform.liveObjects(), 0);
    EXPECT_EQ(after.openHandles, before_.openHandles + handlesLeftOpen);
    EXPECT_EQ(after.handleMisuses, before_.handleMisuses);
    EXPECT_EQ(after.pageBlocks, before_.pageBlocks);
    EXPECT_EQ(after.taskMemoryBlocks, before_.taskMemoryBlocks);
    EXPECT_EQ(after.comInitialisations, before_.comInitialisations);
    plugin.reset();
}

void CaptureTest::checkCall(const char *primitive, bool exported, HostWord returned) {
    EXPECT_TRUE(exported) << primitive;
    EXPECT_EQ(returned, 0) << primitive << " returns 0 on every path";
}

HostWord CaptureTest::callModule(const char *entry) {
    const std::optional<HostWord> answer = moduleEntry(entry);
    EXPECT_TRUE(answer.has_value()) << entry;
    return answer.value_or(0);
}

bool CaptureTest::awaitWorkerWait(int waitsBefore) {
    return eventually([&] { return eventWaits() > waitsBefore; });
}

void CaptureTest::startRunningDecoder(const Script &script) {
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_EQ(lastError(), 1);
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
    ASSERT_TRUE(post("primDecoderRun"));
    ASSERT_TRUE(platform.logged("Run"));
}

void CaptureTest::deliver(testplatform::Frame frame) {
    platform.pushFrame(std::move(frame));
    ++framesPushed;
    ASSERT_TRUE(platform.waitForFramesDelivered(framesPushed));
}

void CaptureTest::capture(testplatform::Frame frame) {
    ASSERT_TRUE(call("primDecoderRequestCapture"));
    deliver(std::move(frame));
}

std::vector<std::string> CaptureTest::logSince(size_t start) {
    std::vector<std::string> entries = platform.log();
    return std::vector<std::string>(entries.begin() + static_cast<long>(std::min(start, entries.size())), entries.end());
}

} // namespace capturetest
