// Compiles the interface header alone: it must need nothing else.
#include "host_interface.h"
