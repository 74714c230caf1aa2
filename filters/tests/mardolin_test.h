// The fixture every Mardolin test uses: the project's host with the built
// plug-in loaded by name and bound, and helpers to lay out bitmaps and calls
// the way a host program would.
#ifndef MARDOLIN_TEST_H
#define MARDOLIN_TEST_H

#include "interpreter.h"
#include "plugin_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace mardolin_test {

using host::ObjectMemory;

constexpr uint32_t OpaqueBlack = 0xFF000001u;
constexpr uint32_t OpaqueWhite = 0xFFFFFFFFu;

// Opens the plug-in from the build's lib/ directory; fails the test if it
// cannot be opened.
std::unique_ptr<host::Plugin> openMardolin();

class MardolinTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // The library the fixture loads and binds.
    virtual std::unique_ptr<host::Plugin> openLibrary() { return openMardolin(); }

    static HostWord integer(HostWord value) { return ObjectMemory::smallInteger(value); }
    HostWord number(double value) { return om.newFloat(value); }
    // A bitmap of depth 32 holding exactly the given words.
    HostWord bitmap(int width, int height, const std::vector<uint32_t> &pixels);
    HostWord bitmap(int width, int height, uint32_t fill);
    HostWord kernel(const std::vector<float> &weights);
    std::vector<uint32_t> pixelsOf(HostWord bitmap) const;
    std::vector<uint32_t> wordsOf(HostWord wordObject) const;

    // Lays out receiver and arguments (in message order, the last on top)
    // and runs the primitive on this thread.
    void call(const char *primitive, const std::vector<HostWord> &arguments);
    // As call, on a new thread, whose random sequence starts afresh.
    void callOnFreshThread(const char *primitive, const std::vector<HostWord> &arguments);
    // Runs steps on a new thread and waits for it.
    static void onFreshThread(const std::function<void()> &steps);

    // Success: no failure and exactly one popAndPush(n + 1, receiver).
    ::testing::AssertionResult answeredReceiver();
    // Failure: the flag set, nothing pushed or popped, the stack as laid out.
    ::testing::AssertionResult failedCleanly();

    host::Interpreter vm;
    ObjectMemory &om = vm.memory();
    std::unique_ptr<host::Plugin> plugin;
    HostWord receiver = 0;

  private:
    void layOut(const std::vector<HostWord> &arguments);
    host::Plugin::Primitive primitiveNamed(const char *name);
    std::vector<HostWord> laidOut_;
    size_t argumentCount_ = 0;
};

} // namespace mardolin_test

#endif
