#include "live_capture_fixture.h"

#include "platform_faults.h"

#include <gst/gst.h>

#include <thread>

namespace livetest {

host::Plugin *LiveCaptureTest::plugin = nullptr;

bool eventually(const std::function<bool()> &condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

virtualcamera::Camera rawCamera(const char *format, int width, int height, int framesPerSecond) {
    virtualcamera::Camera camera;
    camera.format = format;
    camera.width = width;
    camera.height = height;
    camera.framesPerSecond = framesPerSecond;
    return camera;
}

// The library stays loaded for the whole program, as the plug-in pins
// itself once media threads may call it.
void LiveCaptureTest::SetUpTestSuite() {
    if (plugin != nullptr) return;
    ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
    ASSERT_TRUE(virtualcamera::registerVirtualCamera());
    std::string error;
    plugin = host::Plugin::open("Pelquist", host::Plugin::defaultDirectory(), &error).release();
    ASSERT_NE(plugin, nullptr) << error;
}

void LiveCaptureTest::SetUp() {
    ASSERT_NE(plugin, nullptr);
    ASSERT_EQ(plugin->bind(vm.table()), 1);
    auto initialise = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin->symbol("initialiseModule"));
    ASSERT_NE(initialise, nullptr);
    ASSERT_EQ(initialise(), 1);
    vm.offerWindow(hostWindow);
    receiver = om.newPointers(0);
}

void LiveCaptureTest::TearDown() {
    if (plugin == nullptr) return;
    auto shutdown = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin->symbol("shutdownModule"));
    ASSERT_NE(shutdown, nullptr);
    shutdown();
    EXPECT_TRUE(awaitWorkerEnd());
}

bool LiveCaptureTest::call(const char *primitive, std::initializer_list<HostWord> arguments) {
    host::Plugin::Primitive entry = plugin->primitive(primitive);
    EXPECT_NE(entry, nullptr) << primitive;
    if (entry == nullptr) return false;
    vm.prepareCall(receiver, arguments);
    entry();
    return !vm.failed();
}

int LiveCaptureTest::lastError() {
    EXPECT_TRUE(call("primDecoderGetLastError"));
    return static_cast<int>(host::ObjectMemory::smallIntegerValue(answerObject()));
}

double LiveCaptureTest::lastSampleTime() {
    EXPECT_TRUE(call("primDecoderGetLastSampleTime"));
    return om.floatValue(answerObject());
}

FrameSize LiveCaptureTest::decodeSize() {
    EXPECT_TRUE(call("primDecoderGetDecodeSize"));
    uint32_t size = om.positiveIntegerValue(answerObject());
    return {int(size >> 16), int(size & 0xFFFF)};
}

bool LiveCaptureTest::initializeAndAwaitBuild() {
    int waits = media::platformCounts().eventWaits;
    if (!call("primInitializeDecoder")) return false;
    return eventually([&] {
        media::PlatformCounts counts = media::platformCounts();
        return counts.eventWaits > waits || counts.threadsRunning == 0;
    });
}

bool LiveCaptureTest::post(const char *primitive) {
    int waits = media::platformCounts().eventWaits;
    if (!call(primitive)) return false;
    return eventually([&] { return media::platformCounts().eventWaits > waits; });
}

bool LiveCaptureTest::awaitWorkerEnd() {
    return eventually([] { return media::platformCounts().threadsRunning == 0; });
}

void LiveCaptureTest::startCapture(const std::vector<virtualcamera::Camera> &cameras) {
    virtualcamera::offerCameras(cameras);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_EQ(lastError(), 1);
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
    ASSERT_TRUE(post("primDecoderRun"));
    ASSERT_EQ(lastError(), 1);
    ASSERT_TRUE(awaitFrames(framesSignalled() + 3));
}

bool LiveCaptureTest::awaitFrames(uint64_t count) {
    return vm.waitForSignals(kFrameSemaphore, count, std::chrono::seconds(30));
}

bool LiveCaptureTest::awaitFramesStopped() {
    uint64_t seen = framesSignalled();
    auto quietSince = std::chrono::steady_clock::now();
    return eventually([&] {
        uint64_t now = framesSignalled();
        if (now != seen) {
            seen = now;
            quietSince = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - quietSince > std::chrono::seconds(1);
    });
}

// A request is served by the first frame that finds it, and that frame is
// kept before it is signalled: two signals after the request, one is.
std::vector<uint32_t> LiveCaptureTest::captureFrame(int depth) {
    FrameSize size = decodeSize();
    uint64_t before = framesSignalled();
    EXPECT_TRUE(call("primDecoderRequestCapture"));
    EXPECT_TRUE(awaitFrames(before + 2));
    HostWord bitmap = om.newBitmap(size.width, size.height, depth);
    EXPECT_TRUE(call("primDecoderCopyLastCapturedFrameInto", {bitmap}));
    HostWord words = om.slots(bitmap)[0];
    const uint32_t *first = om.words(words);
    return std::vector<uint32_t>(first, first + om.slotCount(words));
}

} // namespace livetest
