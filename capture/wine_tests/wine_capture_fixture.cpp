#include "wine_capture_fixture.h"

#include "camera_pattern.h"

namespace winetest {

host::Plugin *WineCaptureTest::plugin = nullptr;

// The library stays loaded for the whole program: the media framework's
// threads may still be leaving its callback when a test ends.
void WineCaptureTest::SetUpTestSuite() {
    if (plugin != nullptr) return;
    std::string error;
    plugin = host::Plugin::open("Pelquist", host::Plugin::defaultDirectory(), &error).release();
    ASSERT_NE(plugin, nullptr) << error;
}

void WineCaptureTest::SetUp() {
    ASSERT_NE(plugin, nullptr);
    ASSERT_EQ(plugin->bind(vm.table()), 1);
    auto initialise = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin->symbol("initialiseModule"));
    ASSERT_NE(initialise, nullptr);
    ASSERT_EQ(initialise(), 1);
    window.reset(new HostWindow());
    ASSERT_NE(window->handle(), nullptr);
    vm.offerWindow(reinterpret_cast<HostWord>(window->handle()));
    receiver = om.newPointers(0);
}

void WineCaptureTest::TearDown() {
    if (plugin == nullptr) return;
    auto shutdown = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin->symbol("shutdownModule"));
    ASSERT_NE(shutdown, nullptr);
    shutdown();
    EXPECT_TRUE(awaitTeardown());
    window.reset();
}

bool WineCaptureTest::call(const char *primitive, std::initializer_list<HostWord> arguments) {
    host::Plugin::Primitive entry = plugin->primitive(primitive);
    EXPECT_NE(entry, nullptr) << primitive;
    if (entry == nullptr) return false;
    vm.prepareCall(receiver, arguments);
    entry();
    return !vm.failed();
}

int WineCaptureTest::lastError() {
    EXPECT_TRUE(call("primDecoderGetLastError"));
    return static_cast<int>(answerInteger());
}

double WineCaptureTest::lastSampleTime() {
    EXPECT_TRUE(call("primDecoderGetLastSampleTime"));
    return om.floatValue(vm.stack().back());
}

uint32_t WineCaptureTest::decodeSize() {
    EXPECT_TRUE(call("primDecoderGetDecodeSize"));
    return om.positiveIntegerValue(vm.stack().back());
}

bool WineCaptureTest::initialize() {
    bool started = false;
    HostWindow::pumpUntil([&] {
        started = call("primInitializeDecoder");
        return started || lastError() != 5;
    });
    return started;
}

bool WineCaptureTest::awaitBuild() {
    return HostWindow::pumpUntil([&] { return decodeSize() != 0; });
}

int WineCaptureTest::awaitBuildFailure() {
    int status = 1;
    HostWindow::pumpUntil([&] { return (status = lastError()) != 1; });
    return status;
}

bool WineCaptureTest::awaitTeardown() {
    return HostWindow::pumpUntil([&] {
        bool graphGone = !call("primDecoderRequestCapture");
        return graphGone && decodeSize() == 0;
    });
}

void WineCaptureTest::startCapture() {
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primSetFrameSemaphore", {smallInteger(kFrameSemaphore)}));
    ASSERT_TRUE(call("primDecoderRun"));
    ASSERT_TRUE(awaitFrames(framesSignalled() + 3));
    ASSERT_EQ(lastError(), 1);
}

bool WineCaptureTest::awaitFrames(uint64_t count) {
    return HostWindow::pumpUntil(
        [&] { return vm.waitForSignals(kFrameSemaphore, count, std::chrono::milliseconds(5)); });
}

bool WineCaptureTest::awaitFramesStopped() {
    uint64_t seen = framesSignalled();
    auto quietSince = std::chrono::steady_clock::now();
    return HostWindow::pumpUntil([&] {
        uint64_t now = framesSignalled();
        if (now != seen) {
            seen = now;
            quietSince = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - quietSince > std::chrono::seconds(1);
    });
}

// A request is served by the first frame that finds it, and that frame is
// kept before it is signalled: of two signals after the request, one is.
std::vector<uint32_t> WineCaptureTest::captureFrame(int depth) {
    uint64_t before = framesSignalled();
    EXPECT_TRUE(call("primDecoderRequestCapture"));
    EXPECT_TRUE(awaitFrames(before + 2));
    HostWord bitmap = om.newBitmap(testcamera::kWidth, testcamera::kHeight, depth);
    EXPECT_TRUE(call("primDecoderCopyLastCapturedFrameInto", {bitmap}));
    HostWord words = om.slots(bitmap)[0];
    const uint32_t *first = om.words(words);
    return std::vector<uint32_t>(first, first + om.slotCount(words));
}

} // namespace winetest
