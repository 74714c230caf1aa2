// The platform's own classes, for CoCreateInstance to make when no class of
// that id was registered: those of the backend library that is built beside
// this runtime. Any thread.
#ifndef CAPTURE_MEDIA_DEFAULT_BACKEND_H
#define CAPTURE_MEDIA_DEFAULT_BACKEND_H

#include "com_base.h"

namespace media {

// What the backend's class answers, or REGDB_E_CLASSNOTREG when the backend
// cannot be loaded or has no such class. The backend is loaded on first
// need and stays loaded: its threads may outlive any caller.
HRESULT createDefaultInstance(REFCLSID clsid, IUnknown *outer, DWORD context, REFIID iid, void **out);

} // namespace media

#endif
