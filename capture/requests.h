// The thin operations behind the primitives: posts to the worker's
// mailbox and plain reads and writes of the decoder state. None blocks
// beyond a short lock. Host thread.
#ifndef CAPTURE_REQUESTS_H
#define CAPTURE_REQUESTS_H

#include "decoder_state.h"

// Each posts its command when a graph exists: 1, else 0 (status 6).
int requestRun();
int requestPause();
int requestStop();
int requestShutdown();
// Asks the streaming thread to keep the next frame: 1, else 0 (status 6).
int requestCapture();
// Reads the host's window handle from the variable at address (0 for null).
int setHostWindow(const void *address);
int setFrameCallback(FrameCallback callback);
// frameWidth in the high 16 bits, the low 16 bits of frameHeight below.
uint32_t decodeSize();

#endif
