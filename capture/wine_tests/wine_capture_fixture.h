// Drives the shipped Pelquist.dll on the platform's own COM and DirectShow,
// as a host does: loaded by name once for the whole program, bound to a
// fresh interpreter for every test, with a real window offered as
// "stWindow". Each test ends with the module shut down and the worker's
// teardown done.
#ifndef WINE_TESTS_WINE_CAPTURE_FIXTURE_H
#define WINE_TESTS_WINE_CAPTURE_FIXTURE_H

#include "host_window.h"
#include "interpreter.h"
#include "plugin_loader.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

namespace winetest {

constexpr HostWord kFrameSemaphore = 4;

class WineCaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    HostWord smallInteger(HostWord value) { return host::ObjectMemory::smallInteger(value); }
    // Calls a primitive with the receiver and arguments laid out; answers
    // true when it succeeded, with its answer on top of the stack.
    bool call(const char *primitive, std::initializer_list<HostWord> arguments = {});
    HostWord answerInteger() { return host::ObjectMemory::smallIntegerValue(vm.stack().back()); }
    int lastError();
    double lastSampleTime();
    uint32_t decodeSize();

    // primInitializeDecoder, once the previous worker has ended: a start
    // while one still exists is refused with status 5.
    bool initialize();
    // Waits until the worker's build has sized the frame buffer. Reading the
    // size records success, so a failed build shows only as a time-out.
    bool awaitBuild();
    // Waits, reading nothing but the status, until the worker's build has
    // recorded a failure; answers the status (1 when none came).
    int awaitBuildFailure();
    bool initializeAndAwaitBuild() { return initialize() && awaitBuild(); }
    // Waits until the worker's teardown has released the graph and freed
    // the frame buffer.
    bool awaitTeardown();

    // Builds, shows the preview, registers the frame semaphore and runs
    // until frames come.
    void startCapture();
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
    std::unique_ptr<HostWindow> window;

    static host::Plugin *plugin;
};

} // namespace winetest

#endif
