// The grabber's one media type, RGB24, in both worlds: the framework's
// description of a connected type, and the caps that ask for it. Any
// thread.
#ifndef CAPTURE_GSTREAMER_MEDIA_TYPES_H
#define CAPTURE_GSTREAMER_MEDIA_TYPES_H

#include "direct_show.h"

#include <gst/gst.h>

namespace gstbackend {

// Bytes of one RGB24 row: 3 a pixel, padded to a multiple of 4.
inline size_t rgb24Stride(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

// Whether the framework's type asks for RGB24 video.
bool isRgb24Request(const AM_MEDIA_TYPE &type);

// "video/x-raw, format=BGR": GStreamer's RGB24, rows top-down.
GstCaps *newRgb24Caps();

struct VideoSize {
    int width = 0, height = 0;
    int framesNumerator = 0, framesDenominator = 1;
    bool operator==(const VideoSize &other) const { return width == other.width && height == other.height; }
    bool operator!=(const VideoSize &other) const { return !(*this == other); }
};

// The size in fixed caps; a zero width where they give none.
VideoSize videoSizeOf(const GstCaps *caps);
// The one size that every structure of the caps names; a zero width where
// they leave it open or name several.
VideoSize oneSizeOf(const GstCaps *caps);

// Fills type as a connected RGB24 type of that size, top-down, with a
// VIDEOINFOHEADER format block from CoTaskMemAlloc for the caller to free.
HRESULT describeConnectedRgb24(const VideoSize &size, AM_MEDIA_TYPE *type);

} // namespace gstbackend

#endif
