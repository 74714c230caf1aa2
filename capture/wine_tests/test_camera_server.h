// The test camera's in-process server, loaded from the build's test-only
// folder beside the plug-ins, so that a test can list the camera among the
// video input devices and take it off again.
#ifndef WINE_TESTS_TEST_CAMERA_SERVER_H
#define WINE_TESTS_TEST_CAMERA_SERVER_H

#include <windows.h>

#include <string>

namespace winetest {

class TestCameraServer {
public:
    // Loaded once for the whole program; null, with the reason, when missing.
    static TestCameraServer *instance(std::string *error);

    HRESULT registerCamera() { return register_(); }
    HRESULT unregisterCamera() { return unregister_(); }

private:
    typedef HRESULT(STDAPICALLTYPE *Registration)(void);
    TestCameraServer(Registration registerServer, Registration unregisterServer)
        : register_(registerServer), unregister_(unregisterServer) {}
    Registration register_;
    Registration unregister_;
};

} // namespace winetest

#endif
