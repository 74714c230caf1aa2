// The module frame: binding to the host and the module's name.
#include "host_binding.h"

namespace mardolin {

namespace {
const HostInterface *boundTable = nullptr;
constexpr HostWord RequiredMajorVersion = 1;
constexpr HostWord LowestMinorVersion = 5;
} // namespace

const HostInterface &host() { return *boundTable; }

} // namespace mardolin

// Host thread. Keeps the table, then answers 1 when its interface version
// is 1.5 or later. There is nothing to keep or ask of a null table.
PLUGIN_EXPORT HostWord HOST_CALL setInterpreter(void *table) {
    const auto *offered = static_cast<const HostInterface *>(table);
    if (offered == nullptr) return 0;
    mardolin::boundTable = offered;
    if (offered->interfaceMajorVersion() != mardolin::RequiredMajorVersion) return 0;
    return offered->interfaceMinorVersion() >= mardolin::LowestMinorVersion ? 1 : 0;
}

// Any thread.
PLUGIN_EXPORT const char *HOST_CALL getModuleName(void) { return "Mardolin 16 May 2003 (e)"; }
