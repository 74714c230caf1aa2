// Built only into the test-only runtime: the failures tests arm and the
// counts they read.
#include "kernel_objects.h"

namespace media {

namespace {
std::atomic<int> armed[int(Fault::VirtualAlloc) + 1];
} // namespace

bool takeFault(Fault fault) {
    std::atomic<int> &count = armed[int(fault)];
    int current = count.load();
    while (current > 0)
        if (count.compare_exchange_weak(current, current - 1)) return true;
    return false;
}

Counters &counters() {
    static Counters all;
    return all;
}

void failNext(Fault fault) { ++armed[int(fault)]; }

void setCoInitializeResult(HRESULT result) { counters().coInitializeResult = result; }

void clearFaults() {
    for (std::atomic<int> &count : armed) count = 0;
    counters().coInitializeResult = 0;
}

PlatformCounts platformCounts() {
    Counters &c = counters();
    return {handleCount(),
            c.threadsRunning.load(),
            c.handleMisuses.load(),
            c.eventWaits.load(),
            c.threadWaits.load(),
            c.contendedLocks.load(),
            c.pageBlocks.load(),
            c.taskMemoryBlocks.load(),
            c.comInitialisations.load(),
            c.lastThreadPriority.load()};
}


} // namespace media
