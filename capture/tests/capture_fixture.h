// Loads the capture plug-in afresh for every test, as a host would, with
// the scriptable platform registered into the platform runtime it calls.
// Each test ends with the module shut down and the library unloaded, and
// the teardown checks that nothing was left behind.
#ifndef CAPTURE_TESTS_CAPTURE_FIXTURE_H
#define CAPTURE_TESTS_CAPTURE_FIXTURE_H

#include "interpreter.h"
#include "pelquist_driver.h"
#include "platform_faults.h"
#include "plugin_loader.h"
#include "test_platform.h"
#include "worker_watch.h"

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

// Waits for condition, polling, for at most ten seconds. Any thread.
bool eventually(const std::function<bool()> &condition);

// The plug-in driven through the host (pelquist_driver.h); every call is
// checked to be exported and to return 0.
class CaptureTest : public ::testing::Test, protected host::PelquistDriver {
protected:
    CaptureTest() : PelquistDriver(kFrameSemaphore, testplatform::kPatience) {}
    void SetUp() override;
    void TearDown() override;
    void checkCall(const char *primitive, bool exported, HostWord returned) override;

    // A module entry's answer; 0 when it is not exported, which fails.
    HostWord callModule(const char *entry);

    // The worker's progress as the test-only runtime counts it
    // (worker_watch.h).
    bool initializeAndAwaitBuild() { return workerwatch::initializeAndAwaitBuild(*this); }
    bool post(const char *primitive) { return workerwatch::post(*this, primitive); }
    bool awaitWorkerEnd() { return workerwatch::awaitWorkerEnd(*this); }
    int eventWaits() { return workerwatch::eventWaits(); }
    // Waits until the worker has begun another wait than the ones counted.
    bool awaitWorkerWait(int waitsBefore);

    // A running decoder with its window shown and frames signalling.
    void startRunningDecoder(const Script &script);
    // Queues a frame and waits until the streaming thread has delivered it.
    void deliver(testplatform::Frame frame);
    // A capture of the next frame, which is then delivered.
    void capture(testplatform::Frame frame);

    std::vector<std::string> logSince(size_t start);

    host::Interpreter vm;
    host::ObjectMemory &om = vm.memory();
    testplatform::TestPlatform platform;
    std::unique_ptr<host::Plugin> plugin;
    int framesPushed = 0;
    // Handles a test leaves open on purpose.
    int handlesLeftOpen = 0;

private:
    media::PlatformCounts before_{};
};

} // namespace capturetest

#endif
