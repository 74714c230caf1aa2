// The modes a device advertises (its GstDevice caps, in the device's own
// order), kept on the source element it made. A source may answer a caps
// query with far more than it can send (one with an encoder inside answers
// the encoder's open ranges), so the graph settles a mode from what the
// device advertised, not from the query. Any thread.
#ifndef CAPTURE_GSTREAMER_DEVICE_MODES_H
#define CAPTURE_GSTREAMER_DEVICE_MODES_H

#include <gst/gst.h>

namespace gstbackend {

// Keeps the device's caps on its source element; takes a reference.
void rememberAdvertisedModes(GstElement *source, GstCaps *modes);

// What a pad's element may send: its device's advertised modes that the
// pad accepts, in the device's order, or the pad's own answer for an
// element no device made. The caller unreferences the caps.
GstCaps *modesOffered(GstPad *source);

} // namespace gstbackend

#endif
