// The kept frame and its spare. The grabber callback copies a requested
// frame into the spare and swaps it in; the conversion reads the kept one.
// Each holds frameLock only to swap or pin a pointer, so the streaming
// thread never waits for a conversion, and a conversion never sees a frame
// half copied. Replacing or freeing the pair waits for both.
#ifndef CAPTURE_KEPT_FRAME_H
#define CAPTURE_KEPT_FRAME_H

#include "decoder_state.h"

// Streaming thread. Copies length bytes (at most the buffer's) into the
// spare, the rest of the picture's bytes from the kept frame, as a copy
// over the kept frame would leave them, and swaps the spare in. False
// when the spare is still being read (a conversion on another thread
// than the request's): nothing copied, the request stands.
bool keepFrame(const BYTE *buffer, LONG length);

// Worker or host thread. Replaces both buffers with zero-filled ones for
// frames of that size and row order; answers false, leaving none, when
// they cannot be allocated.
bool replaceFrameBuffers(LONG width, LONG height, bool rowsTopDown);
void freeFrameBuffers();

// Host thread: the kept frame, held still for as long as this lives.
class KeptFrameReading {
public:
    KeptFrameReading();
    ~KeptFrameReading();
    KeptFrameReading(const KeptFrameReading &) = delete;
    KeptFrameReading &operator=(const KeptFrameReading &) = delete;

    const uint8_t *rows() const { return rows_; }
    bool rowsTopDown() const { return rowsTopDown_; }

private:
    const uint8_t *rows_;
    bool rowsTopDown_;
};

#endif
