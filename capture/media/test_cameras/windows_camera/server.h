// The in-process server around the camera filter: the module it was loaded
// from, which its registration names.
#ifndef WINDOWS_CAMERA_SERVER_H
#define WINDOWS_CAMERA_SERVER_H

#include <windows.h>

namespace testcamera {

HMODULE serverModule();

} // namespace testcamera

#endif
