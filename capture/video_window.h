// The preview window inside the host's window, and the DV decoder's
// resolution. Host thread.
#ifndef CAPTURE_VIDEO_WINDOW_H
#define CAPTURE_VIDEO_WINDOW_H

#include "decoder_state.h"

// Keeps the preview rectangle for the next showVideoWindow, each value
// saturated to LONG's range; always 1.
int setRenderRect(HostWord left, HostWord top, HostWord width, HostWord height);
// Shows the preview as a child of the host's window at the rectangle, or
// hides it; either way run, pause and stop take effect from then on.
// 1, else 0 with status 6 (no graph or no host window) or 7 (no IVideoWindow).
int showVideoWindow(int show);
// The first filter of the graph offering IIPDVDec, with one reference, or
// null. Under graphLock.
IIPDVDec *findDvDecoder();
// Asks the DV decoder for one of its four resolutions and resizes the frame
// buffer to the grabber's new format: 1, else 0 with status 10 (or 6 or 9
// from the frame buffer).
int setDecodeSize(HostWord width, HostWord height);

#endif
