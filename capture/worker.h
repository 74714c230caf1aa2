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
// Waits, a few seconds at most, for the last started worker to end, asking
// it again to shut down should its graph appear meanwhile. Host thread.
void awaitWorkerEnd(bool shutdownPosted);

#endif
