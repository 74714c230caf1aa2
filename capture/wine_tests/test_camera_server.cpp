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
    auto registerServer = reinterpret_cast<Registration>(GetProcAddress(module, "DllRegisterServer"));
    auto unregisterServer = reinterpret_cast<Registration>(GetProcAddress(module, "DllUnregisterServer"));
    if (registerServer == nullptr || unregisterServer == nullptr) {
        *error = path + ": no DllRegisterServer or DllUnregisterServer";
        return nullptr;
    }
    loaded = new TestCameraServer(registerServer, unregisterServer);
    return loaded;
}

} // namespace winetest
