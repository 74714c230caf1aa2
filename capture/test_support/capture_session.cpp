#include "capture_session.h"

#include <chrono>
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
    ASSERT_EQ(plugin->bind(vm.table()), 1);
    auto initialise = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin->symbol("initialiseModule"));
    ASSERT_NE(initialise, nullptr);
    ASSERT_EQ(initialise(), 1);
    receiver = om.newPointers(0);
}

void CaptureSession::shutdownModule() {
    auto shutdown = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin->symbol("shutdownModule"));
    ASSERT_NE(shutdown, nullptr);
    shutdown();
}

bool CaptureSession::call(const char *primitive, std::initializer_list<HostWord> arguments) {
    host::Plugin::Primitive entry = plugin->primitive(primitive);
    EXPECT_NE(entry, nullptr) << primitive;
    if (entry == nullptr) return false;
    vm.prepareCall(receiver, arguments);
    entry();
    return !vm.failed();
}

int CaptureSession::lastError() {
    EXPECT_TRUE(call("primDecoderGetLastError"));
    return static_cast<int>(answerInteger());
}

double CaptureSession::lastSampleTime() {
    EXPECT_TRUE(call("primDecoderGetLastSampleTime"));
    return om.floatValue(answerObject());
}

FrameSize CaptureSession::decodeSize() {
    EXPECT_TRUE(call("primDecoderGetDecodeSize"));
    uint32_t size = om.positiveIntegerValue(answerObject());
    return {int(size >> 16), int(size & 0xFFFF)};
}

bool CaptureSession::awaitFramesStopped() {
    uint64_t seen = framesSignalled();
    auto quietSince = std::chrono::steady_clock::now();
    return waitUntil([&] {
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
std::vector<uint32_t> CaptureSession::captureFrame(int depth) {
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

} // namespace capturesession
