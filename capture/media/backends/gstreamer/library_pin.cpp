#include "library_pin.h"

#include <dlfcn.h>

namespace gstbackend {

void pinLibraryHolding(const void *address) {
    Dl_info library{};
    if (dladdr(address, &library) == 0 || library.dli_fname == nullptr) return;
    // Opening what is loaded already, never to close it, only marks it.
    dlopen(library.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace gstbackend
