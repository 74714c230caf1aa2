// What the end-to-end fixtures of the capture plug-in share, on any
// platform's media framework: the plug-in loaded by name once for the whole
// program (the framework's threads may still be leaving its callback when a
// test ends), bound to a fresh interpreter with its module initialised for
// every test, and driven through the host (pelquist_driver.h). A platform's
// fixture overrides the driver's waits where its host thread must do more
// than wait.
#ifndef CAPTURE_TEST_SUPPORT_CAPTURE_SESSION_H
#define CAPTURE_TEST_SUPPORT_CAPTURE_SESSION_H

#include "interpreter.h"
#include "pelquist_driver.h"
#include "plugin_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace capturesession {

constexpr HostWord kFrameSemaphore = 5;

using host::FrameSize;

class CaptureSession : public ::testing::Test, protected host::PelquistDriver {
protected:
    // Machines under load start pipelines slowly.
    CaptureSession() : PelquistDriver(kFrameSemaphore, std::chrono::seconds(30)) {}
    // Loads the plug-in once, from the build's plug-in directory.
    static void loadPlugin();
    // Binds the plug-in to this test's interpreter and initialises its
    // module.
    void SetUp() override;
    // shutdownModule; the fixture then waits for the worker's teardown.
    void shutdownModule();
    void checkCall(const char *primitive, bool exported, HostWord returned) override;

    // A capture copied into a new bitmap of the decode size and that depth;
    // its words.
    std::vector<uint32_t> captureFrame(int depth);

    host::Interpreter vm;
    host::ObjectMemory &om = vm.memory();

    static host::Plugin *plugin;
};

} // namespace capturesession

#endif
