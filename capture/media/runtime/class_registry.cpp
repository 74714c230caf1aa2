// Built only into the test-only runtime: the classes tests register in
// place of the default backend's.
#include "test_hooks.h"

#include <map>
#include <mutex>

namespace media {
namespace {

struct GuidOrder {
    bool operator()(const GUID &a, const GUID &b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

std::mutex registryMutex;
std::map<GUID, ClassFactory, GuidOrder> &registry() {
    static std::map<GUID, ClassFactory, GuidOrder> classes;
    return classes;
}

} // namespace

void registerClass(REFCLSID clsid, ClassFactory factory) {
    std::lock_guard<std::mutex> lock(registryMutex);
    registry()[clsid] = std::move(factory);
}

void unregisterClass(REFCLSID clsid) {
    std::lock_guard<std::mutex> lock(registryMutex);
    registry().erase(clsid);
}

ClassFactory registeredClass(REFCLSID clsid) {
    std::lock_guard<std::mutex> lock(registryMutex);
    auto found = registry().find(clsid);
    return found != registry().end() ? found->second : ClassFactory();
}

} // namespace media
