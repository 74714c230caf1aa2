#include "kernel_objects.h"

#include <map>
#include <mutex>

namespace media {

namespace {
std::mutex tableMutex;
std::map<uintptr_t, std::shared_ptr<KernelObject>> table;
uintptr_t lastHandle = 0x100;

std::atomic<int> armed[int(Fault::VirtualAlloc) + 1];
} // namespace

HANDLE addHandle(std::shared_ptr<KernelObject> object) {
    std::lock_guard<std::mutex> lock(tableMutex);
    lastHandle += 4;
    table.emplace(lastHandle, std::move(object));
    return reinterpret_cast<HANDLE>(lastHandle);
}

std::shared_ptr<KernelObject> objectOf(HANDLE handle) {
    std::lock_guard<std::mutex> lock(tableMutex);
    auto found = table.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.end()) {
        ++counters().handleMisuses;
        return nullptr;
    }
    return found->second;
}

bool removeHandle(HANDLE handle, std::shared_ptr<KernelObject> *removed) {
    std::lock_guard<std::mutex> lock(tableMutex);
    auto found = table.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.end()) {
        ++counters().handleMisuses;
        return false;
    }
    *removed = std::move(found->second);
    table.erase(found);
    return true;
}

int handleCount() {
    std::lock_guard<std::mutex> lock(tableMutex);
    return static_cast<int>(table.size());
}

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
            c.lastThreadPriority.load(),
            c.messagesDispatched.load()};
}

} // namespace media
