// What Connect puts between a device's output and the grabber's input.
// Nothing, when the device sends what the grabber takes at one size.
// Otherwise, in order: a caps filter that settles one format and size for
// a device that offers many (the first it lists, nearest 640 x 480 at 30
// frames a second), the decoder its format needs (JPEG, or DV through the
// DV decoder), and a converter to the grabber's format. Worker thread.
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
