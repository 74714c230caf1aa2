// The capture worker's progress, read from the test-only runtime's counts
// rather than from the primitives: a build has ended when the worker begins
// its first wait for a command, or is gone; a post has been carried out
// when it begins another wait. Exact where the driver's own waits can only
// infer, and touching no status.
#ifndef CAPTURE_TEST_SUPPORT_WORKER_WATCH_H
#define CAPTURE_TEST_SUPPORT_WORKER_WATCH_H

#include "pelquist_driver.h"

namespace workerwatch {

// primInitializeDecoder, then waits until the worker's build has ended.
bool initializeAndAwaitBuild(host::PelquistDriver &driver);
// Posts a command and waits until the worker has carried it out.
bool post(host::PelquistDriver &driver, const char *primitive);
// Waits until no worker thread runs.
bool awaitWorkerEnd(host::PelquistDriver &driver);
int eventWaits();

} // namespace workerwatch

#endif
