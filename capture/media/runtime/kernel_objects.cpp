#include "kernel_objects.h"

#include <map>
#include <mutex>

namespace media {

namespace {
std::mutex tableMutex;
std::map<uintptr_t, std::shared_ptr<KernelObject>> table;
uintptr_t lastHandle = 0x100;
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

} // namespace media
