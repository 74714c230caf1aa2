// The worker thread that owns the capture graph: its start, its command
// loop, the graph's state changes and the teardown it ends with.
#ifndef CAPTURE_WORKER_H
#define CAPTURE_WORKER_H

#include "decoder_state.h"

// Starts a new worker: 1, else 0 with status 5. Host thread.
int startWorker();
// The worker's entry point: builds the graph, then carries out commands
// until the shutdown. Worker.
DWORD WINAPI workerMain(LPVOID argument);
// Ask the graph to run, pause or stop: 1, else 0 with status 4 (the graph
// refused), 6 (no graph, or the window not yet configured) or 7 (no
// IMediaControl). Worker.
int runGraph();
int pauseGraph();
int stopGraph();
// Releases the graph, forgets the window and the frame callback, frees the
// frame buffer, uninitialises COM and closes the command event; records
// success only when it runs for the shutdown command. Worker.
void teardownDecoder(bool forShutdownCommand);
// Leaves the shutdown command for a worker that has no graph yet, then
// waits until the last started worker has ended, the calling thread's
// window messages flowing meanwhile: afterwards no thread runs the
// library's code and no frame callback of it is registered. Host thread.
void finishWorker();
// For a host that unloads the library without shutdownModule: forgets the
// frame callback, then shuts the worker down and waits for its end, for
// the patience given at most. Host thread, while the library unloads.
void finishWorkerForUnload(DWORD patienceMilliseconds);

#endif
