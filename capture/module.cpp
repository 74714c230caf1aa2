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

#if !defined(_WIN32)
namespace {
const DWORD kUnloadPatienceMilliseconds = 5000;
} // namespace

// A host may unload the library without shutdownModule: no frame signal
// may reach it afterwards, nor may any thread be left in code that is no
// longer mapped. The wait is bounded, since the unload holds the loader's
// lock, which a worker that loads code meanwhile would wait for.
__attribute__((destructor)) static void finishOnUnload() { finishWorkerForUnload(kUnloadPatienceMilliseconds); }
#endif
