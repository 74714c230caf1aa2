#include "capture_fixture.h"

#include <chrono>
#include <thread>

namespace capturetest {

std::string pluginDirectory() {
#if defined(_WIN32)
    return host::Plugin::defaultDirectory() + "/test-only";
#else
    return host::Plugin::defaultDirectory();
#endif
}

bool eventually(const std::function<bool()> &condition) {
    auto deadline = testplatform::Clock::now() + testplatform::kPatience;
    while (!condition()) {
        if (testplatform::Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void CaptureTest::SetUp() {
    media::clearFaults();
    std::string error;
    plugin = host::Plugin::open("Pelquist", pluginDirectory(), &error);
    ASSERT_NE(plugin, nullptr) << error;
    ASSERT_EQ(plugin->bind(vm.table()), 1);
    ASSERT_EQ(callModule("initialiseModule"), 1);
    vm.offerWindow(kHostWindow);
    receiver = om.newPointers(0);
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

bool CaptureTest::call(const char *primitive, std::initializer_list<HostWord> arguments) {
    host::Plugin::Primitive entry = plugin->primitive(primitive);
    EXPECT_NE(entry, nullptr) << primitive;
    if (entry == nullptr) return false;
    vm.prepareCall(receiver, arguments);
    EXPECT_EQ(entry(), 0) << primitive << " returns 0 on every path";
    return !vm.failed();
}

int CaptureTest::lastError() {
    EXPECT_TRUE(call("primDecoderGetLastError"));
    return static_cast<int>(answerInteger());
}

double CaptureTest::lastSampleTime() {
    EXPECT_TRUE(call("primDecoderGetLastSampleTime"));
    return om.floatValue(answerObject());
}

uint32_t CaptureTest::decodeSize() {
    EXPECT_TRUE(call("primDecoderGetDecodeSize"));
    return om.positiveIntegerValue(answerObject());
}

HostWord CaptureTest::callModule(const char *entry) {
    auto function = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin->symbol(entry));
    EXPECT_NE(function, nullptr) << entry;
    return function != nullptr ? function() : 0;
}

bool CaptureTest::initializeAndAwaitBuild() {
    int waits = eventWaits();
    if (!call("primInitializeDecoder")) return false;
    return eventually([&] { return eventWaits() > waits || media::platformCounts().threadsRunning == 0; });
}

bool CaptureTest::awaitWorkerWait(int waitsBefore) {
    return eventually([&] { return eventWaits() > waitsBefore; });
}

bool CaptureTest::awaitWorkerEnd() {
    return eventually([] { return media::platformCounts().threadsRunning == 0; });
}

bool CaptureTest::post(const char *primitive) {
    int waits = eventWaits();
    if (!call(primitive)) return false;
    return awaitWorkerWait(waits);
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

bool CaptureTest::copyInto(HostWord bitmap) { return call("primDecoderCopyLastCapturedFrameInto", {bitmap}); }

std::vector<uint32_t> CaptureTest::wordsOf(HostWord bitmap) {
    HostWord words = om.slots(bitmap)[0];
    uint32_t *first = om.words(words);
    return std::vector<uint32_t>(first, first + om.slotCount(words));
}

std::vector<std::string> CaptureTest::logSince(size_t start) {
    std::vector<std::string> entries = platform.log();
    return std::vector<std::string>(entries.begin() + static_cast<long>(std::min(start, entries.size())), entries.end());
}

} // namespace capturetest
