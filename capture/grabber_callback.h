// The object the sample grabber calls once per frame, and the frame
// callback that records the frame's time and signals the host.
#ifndef CAPTURE_GRABBER_CALLBACK_H
#define CAPTURE_GRABBER_CALLBACK_H

#include "decoder_state.h"

// Points the object at callbackTable and fills the table. Worker, before
// the object is registered with a grabber.
void initGrabberCallback(GrabberCallbackObject *object);

// The object as the grabber takes it.
inline ISampleGrabberCB *grabberCallbackInterface() {
    return reinterpret_cast<ISampleGrabberCB *>(&decoder.GrabberCallback);
}

// Records the sample time and signals the frame semaphore, if one is set.
// Streaming thread (any thread).
PLUGIN_EXPORT void HOST_CALL signalFrame(double sampleTime);

#endif
