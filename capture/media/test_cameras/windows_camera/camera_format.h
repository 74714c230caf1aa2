// The one media type the camera's pin offers: RGB24 video, bottom-up, of
// the pattern's size and frame rate. Any thread.
#ifndef WINDOWS_CAMERA_CAMERA_FORMAT_H
#define WINDOWS_CAMERA_CAMERA_FORMAT_H

#include "camera_pattern.h"

#include <dshow.h>

namespace testcamera {

// 100-nanosecond units between two frames.
constexpr REFERENCE_TIME kFramePeriod = 10000000 / kFramesPerSecond;

// Fills type with the camera's format; its format block comes from
// CoTaskMemAlloc, as callers of ConnectionMediaType expect.
HRESULT describeCameraType(AM_MEDIA_TYPE *type);
// The same, as a whole type of its own for a media type enumerator.
AM_MEDIA_TYPE *newCameraType();
// Whether a full or partial type (null GUIDs match anything) fits ours.
bool matchesCameraType(const AM_MEDIA_TYPE *type);

} // namespace testcamera

#endif
