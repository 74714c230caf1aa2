// The layer's own bookkeeping behind handles, shared by its source files.
// Not for callers.
#ifndef CAPTURE_MEDIA_KERNEL_OBJECTS_H
#define CAPTURE_MEDIA_KERNEL_OBJECTS_H

#include "test_hooks.h"
#include "win32_threads.h"

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

// Wakes every wait on several objects to look at them again. Any thread,
// after the change.
void noteChange();
// Waits for the first of the objects, or for a message in the calling
// thread's queue when wakeForMessages: WAIT_OBJECT_0 + the object's index,
// WAIT_OBJECT_0 + count for a message, WAIT_TIMEOUT or WAIT_FAILED.
DWORD waitForFirst(DWORD count, const HANDLE *handles, DWORD milliseconds, bool wakeForMessages);
// Whether the calling thread's queue holds a message.
bool messageWaiting();

} // namespace media

#endif
