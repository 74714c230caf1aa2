// The points where the test-only build of the runtime (MEDIA_TEST_HOOKS)
// injects the failures tests arm, counts what callers leave behind and
// finds the classes tests registered. The build that ships has none of
// them: each point compiles to nothing there. Not for callers.
#ifndef CAPTURE_MEDIA_TEST_HOOKS_H
#define CAPTURE_MEDIA_TEST_HOOKS_H

#include "class_registry.h"
#include "platform_faults.h"

#include <atomic>

namespace media {

#if defined(MEDIA_TEST_HOOKS)
using Count = std::atomic<int>;
#else
// Takes every count and forgets it.
struct Count {
    void operator++() {}
    void operator--() {}
    void operator=(int) {}
    operator int() const { return 0; }
};
#endif

struct Counters {
    Count threadsRunning{};
    Count handleMisuses{};
    Count eventWaits{};
    Count threadWaits{};
    Count contendedLocks{};
    Count pageBlocks{};
    Count taskMemoryBlocks{};
    Count comInitialisations{};
    Count lastThreadPriority{};
    Count coInitializeResult{}; // what CoInitialize answers; 0: its own answer
};

#if defined(MEDIA_TEST_HOOKS)
Counters &counters();
// Answers true, and disarms it, when a failure of that kind was armed.
bool takeFault(Fault fault);
// The class registered under clsid, or an empty factory.
ClassFactory registeredClass(REFCLSID clsid);
#else
inline Counters &counters() {
    static Counters none;
    return none;
}
inline bool takeFault(Fault) { return false; }
inline ClassFactory registeredClass(REFCLSID) { return {}; }
#endif

} // namespace media

#endif
