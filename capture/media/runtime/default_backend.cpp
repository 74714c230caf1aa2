#include "default_backend.h"

#include <dlfcn.h>

#include <string>

namespace media {
namespace {

using BackendCreate = HRESULT (*)(REFCLSID clsid, IUnknown *outer, DWORD context, REFIID iid, void **out);

// The backend sits in this runtime's own directory.
BackendCreate loadBackend() {
    Dl_info runtime{};
    if (dladdr(reinterpret_cast<void *>(&createDefaultInstance), &runtime) == 0 || runtime.dli_fname == nullptr)
        return nullptr;
    std::string path = runtime.dli_fname;
    path = path.substr(0, path.rfind('/') + 1) + MEDIA_DEFAULT_BACKEND;
    void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<BackendCreate>(dlsym(library, "mediaBackendCreateInstance"));
}

} // namespace

HRESULT createDefaultInstance(REFCLSID clsid, IUnknown *outer, DWORD context, REFIID iid, void **out) {
    static const BackendCreate create = loadBackend();
    if (create == nullptr) return REGDB_E_CLASSNOTREG;
    return create(clsid, outer, context, iid, out);
}

} // namespace media
