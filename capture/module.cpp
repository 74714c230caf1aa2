// The module entry points a host calls around the primitives. Host thread.
#include "decoder_state.h"
#include "requests.h"
#include "worker.h"

PLUGIN_EXPORT HostWord HOST_CALL setInterpreter(void *table) {
    const HostInterface *host = static_cast<const HostInterface *>(table);
    decoder.host.store(host);
    if (host->interfaceMajorVersion() != 1) return 0;
    return host->interfaceMinorVersion() > 3 ? 1 : 0;
}

PLUGIN_EXPORT const char *HOST_CALL getModuleName(void) { return "Pelquist 14 August 2002 (e)"; }

PLUGIN_EXPORT HostWord HOST_CALL initialiseModule(void) {
    decoder.frameSemaphoreIndex.store(0);
    decoder.lastSampleTime.store(0.0);
    return 1;
}

// Before the host unloads the library, the worker is shut down and waited
// for, whether it has a graph yet or not, so that none of its code runs
// afterwards.
PLUGIN_EXPORT HostWord HOST_CALL shutdownModule(void) {
    int posted = requestShutdown();
    finishWorker();
    return posted;
}
