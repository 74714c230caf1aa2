// Where a backend living in the caller's process, such as the tests'
// scriptable platform, registers the classes that CoCreateInstance makes.
// Only the test-only runtime has it: the shipped one makes its default
// backend's classes alone. Any thread.
#ifndef CAPTURE_MEDIA_CLASS_REGISTRY_H
#define CAPTURE_MEDIA_CLASS_REGISTRY_H

#include "com_base.h"

#include <functional>

namespace media {

// Makes one object of the class and answers it as iid in out, holding one
// reference, with an HRESULT as CoCreateInstance answers it.
using ClassFactory = std::function<HRESULT(IUnknown *outer, DWORD context, REFIID iid, void **out)>;

// A later registration of the same class replaces the earlier one.
MEDIA_API void registerClass(REFCLSID clsid, ClassFactory factory);
MEDIA_API void unregisterClass(REFCLSID clsid);

} // namespace media

#endif
