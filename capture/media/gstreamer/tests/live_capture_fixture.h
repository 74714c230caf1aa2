// Drives the capture plug-in on the real GStreamer stack, as a host does:
// GStreamer initialised and the virtual camera registered in this process,
// then libPelquist.so loaded by name, once, and bound to a fresh
// interpreter for every test. Each test offers the cameras it needs and
// ends with the module shut down and its worker gone.
#ifndef CAPTURE_GSTREAMER_TESTS_LIVE_CAPTURE_FIXTURE_H
#define CAPTURE_GSTREAMER_TESTS_LIVE_CAPTURE_FIXTURE_H

#include "interpreter.h"
#include "plugin_loader.h"
#include "virtual_camera.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace livetest {

constexpr HostWord kFrameSemaphore = 5;

// Waits for condition, polling, for at most thirty seconds: generous, as
// machines under load start pipelines slowly.
bool eventually(const std::function<bool()> &condition);

// A camera sending the test pattern uncompressed.
virtualcamera::Camera rawCamera(const char *format, int width, int height, int framesPerSecond = 30);

struct FrameSize {
    int width = 0, height = 0;
};

class LiveCaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    HostWord smallInteger(HostWord value) { return host::ObjectMemory::smallInteger(value); }
    // Calls a primitive with the receiver and arguments laid out; answers
    // true when it succeeded, with its answer on top of the stack.
    bool call(const char *primitive, std::initializer_list<HostWord> arguments = {});
    HostWord answerObject() { return vm.stack().back(); }
    int lastError();
    double lastSampleTime();
    FrameSize decodeSize();

    // primInitializeDecoder, then waits until the worker's build has
    // ended: at its first wait when it succeeded, gone when it failed.
    bool initializeAndAwaitBuild();
    // A post that waits until the worker has carried it out.
    bool post(const char *primitive);
    bool awaitWorkerEnd();

    // Offers the cameras, builds, shows the preview at the rectangle set
    // before, registers the frame semaphore and runs until frames come.
    void startCapture(const std::vector<virtualcamera::Camera> &cameras);

    uint64_t framesSignalled() { return vm.signalCount(kFrameSemaphore); }
    bool awaitFrames(uint64_t count);
    // Waits until no frame has been signalled for a whole second.
    bool awaitFramesStopped();

    // Asks for a capture, waits until a frame has been kept, and copies it
    // into a new bitmap of the frame's size and that depth; its words.
    std::vector<uint32_t> captureFrame(int depth);

    host::Interpreter vm;
    host::ObjectMemory &om = vm.memory();
    HostWord receiver = 0;
    HostWord hostWindow = 0x2A; // what the host offers as "stWindow"

    static host::Plugin *plugin;
};

} // namespace livetest

#endif
