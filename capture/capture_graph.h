// Builds the capture graph from the first video input device through the
// sample grabber to a rendered preview, sizes the frame buffer from the
// connected format, and gives the graph back.
#ifndef CAPTURE_CAPTURE_GRAPH_H
#define CAPTURE_CAPTURE_GRAPH_H

#include "decoder_state.h"

// 1 built; 0 failed, with status 2, 3, 4 or 9 (6 or 9 from the frame
// buffer), the graph and grabber then left to the teardown. Worker.
int buildCaptureGraph();
// The first device of the video input category that binds to a filter, in
// out with one reference, or null. Worker.
void findCaptureDevice(IBaseFilter **out);
// The filter's pin of that direction with index n, in out with one
// reference: S_OK, E_FAIL when there is none, or the enumeration's failure.
// Worker.
HRESULT findPin(IBaseFilter *filter, PIN_DIRECTION direction, int n, IPin **out);
// Replaces the frame buffer with a zero-filled one sized from the grabber's
// connected format: 1, else 0 with status 6 (no grabber) or 9 (no format,
// which leaves the buffer as it was; or a format whose frame it cannot
// keep: a side not positive or beyond 16 bits, 2 GiB or more, or an
// allocation that fails, which leave no buffer and a frame size of 0 x 0).
// Worker during the build; host thread under graphLock otherwise.
int allocateFrameBuffer();
// Hides the preview, releases the grabber and the graph. Worker.
void releaseGraph();

#endif
