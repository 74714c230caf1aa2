// What the end-to-end fixtures of the capture plug-in share, on any
// platform's media framework: the plug-in loaded by name once for the whole
// program (the framework's threads may still be leaving its callback when a
// test ends), bound to a fresh interpreter with its module initialised for
// every test, and the primitive calls the tests make through the host.
// Each platform's fixture says how its host thread waits.
#ifndef CAPTURE_TEST_SUPPORT_CAPTURE_SESSION_H
#define CAPTURE_TEST_SUPPORT_CAPTURE_SESSION_H

#include "interpreter.h"
#include "plugin_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <vector>

namespace capturesession {

constexpr HostWord kFrameSemaphore = 5;

struct FrameSize {
    int width = 0, height = 0;
};
inline bool operator==(FrameSize a, FrameSize b) { return a.width == b.width && a.height == b.height; }
inline std::ostream &operator<<(std::ostream &out, FrameSize size) { return out << size.width << "x" << size.height; }

class CaptureSession : public ::testing::Test {
protected:
    // Loads the plug-in once, from the build's plug-in directory.
    static void loadPlugin();
    // Binds the plug-in to this test's interpreter, initialises its module
    // and makes the receiver.
    void SetUp() override;
    // shutdownModule; the fixture then waits for the worker's teardown.
    void shutdownModule();

    // Waits as the host thread must on this platform until condition holds;
    // false when it did not in time.
    virtual bool waitUntil(const std::function<bool()> &condition) = 0;
    virtual bool awaitFrames(uint64_t count) = 0;

    HostWord smallInteger(HostWord value) { return host::ObjectMemory::smallInteger(value); }
    // Calls a primitive with the receiver and arguments laid out; answers
    // true when it succeeded, with its answer on top of the stack.
    bool call(const char *primitive, std::initializer_list<HostWord> arguments = {});
    HostWord answerObject() { return vm.stack().back(); }
    HostWord answerInteger() { return host::ObjectMemory::smallIntegerValue(answerObject()); }
    int lastError();
    double lastSampleTime();
    FrameSize decodeSize();

    uint64_t framesSignalled() { return vm.signalCount(kFrameSemaphore); }
    // Waits until no frame has been signalled for a whole second.
    bool awaitFramesStopped();
    // Asks for a capture, waits until a frame has been kept, and copies it
    // into a new bitmap of the decode size and that depth; its words.
    std::vector<uint32_t> captureFrame(int depth);

    host::Interpreter vm;
    host::ObjectMemory &om = vm.memory();
    HostWord receiver = 0;

    static host::Plugin *plugin;
};

} // namespace capturesession

#endif
