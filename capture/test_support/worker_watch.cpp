#include "worker_watch.h"

#include "platform_faults.h"

namespace workerwatch {

int eventWaits() { return media::platformCounts().eventWaits; }

bool initializeAndAwaitBuild(host::PelquistDriver &driver) {
    const int waits = eventWaits();
    if (!driver.call("primInitializeDecoder")) return false;
    return driver.waitUntil([&] {
        const media::PlatformCounts counts = media::platformCounts();
        return counts.eventWaits > waits || counts.threadsRunning == 0;
    });
}

bool post(host::PelquistDriver &driver, const char *primitive) {
    const int waits = eventWaits();
    if (!driver.call(primitive)) return false;
    return driver.waitUntil([&] { return eventWaits() > waits; });
}

bool awaitWorkerEnd(host::PelquistDriver &driver) {
    return driver.waitUntil([] { return media::platformCounts().threadsRunning == 0; });
}

} // namespace workerwatch
