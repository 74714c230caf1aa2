#include "test_camera_server.h"

#include "plugin_loader.h"

namespace winetest {

TestCameraServer *TestCameraServer::instance(std::string *error) {
    static TestCameraServer *loaded = nullptr;
    if (loaded != nullptr) return loaded;
    std::string path = host::Plugin::defaultDirectory() + "/test-only/TestCamera.dll";
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        *error = path + ": LoadLibrary failed with error " + std::to_string(GetLastError());
        return nullptr;
    }
    // Through the generic function type: FARPROC's result type is not HRESULT on x64.
    auto entry = [module](const char *name) {
        return reinterpret_cast<Registration>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    };
    auto registerServer = entry("DllRegisterServer");
    auto unregisterServer = entry("DllUnregisterServer");
    if (registerServer == nullptr || unregisterServer == nullptr) {
        *error = path + ": no DllRegisterServer or DllUnregisterServer";
        return nullptr;
    }
    loaded = new TestCameraServer(registerServer, unregisterServer);
    return loaded;
}

} // namespace winetest
