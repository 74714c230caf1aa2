// The system device enumerator: the video input category is what a
// GStreamer device monitor finds in the "Video/Source" class, in the order
// of the providers' ranks. Any thread.
#ifndef CAPTURE_GSTREAMER_DEVICE_ENUMERATOR_H
#define CAPTURE_GSTREAMER_DEVICE_ENUMERATOR_H

#include "direct_show.h"

namespace gstbackend {

HRESULT createDeviceEnumerator(REFIID iid, void **out);

} // namespace gstbackend

#endif
