// What Connect puts between a device's output and the grabber's input, in
// order: a caps filter that settles the first mode the device lists (any
// field it leaves open nearest 640 x 480 at 30 frames a second), and, when
// that mode is not what the grabber takes, the decoder its format needs
// (JPEG, its output pinned to the mode's size, or DV through the DV
// decoder) and a converter to the grabber's format. Worker thread.
#ifndef CAPTURE_GSTREAMER_FORMAT_BRIDGE_H
#define CAPTURE_GSTREAMER_FORMAT_BRIDGE_H

#include "direct_show.h"

#include <gst/gst.h>

#include <vector>

namespace gstbackend {

// Fills filters, each holding one reference, or answers false, with
// filters left empty, for a format that nothing here decodes.
bool bridgeFilters(GstCaps *offered, GstCaps *wanted, std::vector<IBaseFilter *> *filters);

} // namespace gstbackend

#endif
