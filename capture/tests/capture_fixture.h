// Loads the capture plug-in afresh for every test, as a host would, with
// the scriptable platform registered into the platform runtime it calls.
// Each test ends with the module shut down and the library unloaded, and
// the teardown checks that nothing was left behind.
#ifndef CAPTURE_TESTS_CAPTURE_FIXTURE_H
#define CAPTURE_TESTS_CAPTURE_FIXTURE_H

#include "interpreter.h"
#include "platform_faults.h"
#include "plugin_loader.h"
#include "test_platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace capturetest {

using testplatform::Hold;
using testplatform::Script;
using testplatform::Step;

constexpr HostWord kHostWindow = 0x2A;
constexpr HostWord kFrameSemaphore = 3;

// Where the plug-in the tests load lives. On Windows that is the build over
// the scriptable platform's runtime, kept apart from the shipped DLL, which
// calls the real framework.
std::string pluginDirectory();

// Waits for condition, polling, for at most ten seconds.
bool eventually(const std::function<bool()> &condition);

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HostWord smallInteger(HostWord value) { return host::ObjectMemory::smallInteger(value); }

    // Calls a primitive with the receiver and arguments laid out; answers
    // true when it succeeded, with its answer in answerObject().
    bool call(const char *primitive, std::initializer_list<HostWord> arguments = {});
    HostWord answerObject() { return vm.stack().back(); }
    HostWord answerInteger() { return host::ObjectMemory::smallIntegerValue(answerObject()); }
    int lastError();
    double lastSampleTime();
    uint32_t decodeSize();
    HostWord callModule(const char *entry);

    // primInitializeDecoder, then waits for the worker to finish its build:
    // at its first wait when the build succeeded, gone when it failed.
    bool initializeAndAwaitBuild();
    // Waits until the worker has begun another wait than the ones counted.
    bool awaitWorkerWait(int waitsBefore);
    bool awaitWorkerEnd();
    int eventWaits() { return media::platformCounts().eventWaits; }
    // A post to the worker that waits until the worker has carried it out.
    bool post(const char *primitive);

    // A running decoder with its window shown and frames signalling.
    void startRunningDecoder(const Script &script);
    // Queues a frame and waits until the streaming thread has delivered it.
    void deliver(testplatform::Frame frame);
    // A capture of the next frame, which is then delivered.
    void capture(testplatform::Frame frame);
    // Copies the kept frame into a bitmap; its words, or none when refused.
    bool copyInto(HostWord bitmap);
    std::vector<uint32_t> wordsOf(HostWord bitmap);

    std::vector<std::string> logSince(size_t start);

    host::Interpreter vm;
    host::ObjectMemory &om = vm.memory();
    testplatform::TestPlatform platform;
    std::unique_ptr<host::Plugin> plugin;
    HostWord receiver = 0;
    int framesPushed = 0;
    // Handles a test leaves open on purpose.
    int handlesLeftOpen = 0;

private:
    media::PlatformCounts before_{};
};

} // namespace capturetest

#endif
