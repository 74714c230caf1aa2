// The layer's own bookkeeping behind handles, shared by its source files.
// Not for callers.
#ifndef CAPTURE_MEDIA_KERNEL_OBJECTS_H
#define CAPTURE_MEDIA_KERNEL_OBJECTS_H

#include "test_hooks.h"

#include <memory>

namespace media {

struct KernelObject {
    virtual ~KernelObject() = default;
};

// Handles count up and are never reused.
HANDLE addHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> objectOf(HANDLE handle);
bool removeHandle(HANDLE handle, std::shared_ptr<KernelObject> *removed);
int handleCount();

} // namespace media

#endif
