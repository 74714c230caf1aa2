// The host's table, kept by setInterpreter and used by every primitive.
#ifndef MARDOLIN_HOST_BINDING_H
#define MARDOLIN_HOST_BINDING_H

#include "host_interface.h"

namespace mardolin {

// Host thread, only after setInterpreter has accepted a table.
const HostInterface &host();

} // namespace mardolin

#endif
