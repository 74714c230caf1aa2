// The built-in picture the demo filters when no file is given: colour
// gradients, shaded shapes, fine patterns and a grey ramp, so that every
// effect has something to change.
#ifndef APPS_SAMPLE_PICTURE_H
#define APPS_SAMPLE_PICTURE_H

#include "picture.h"

namespace demo {

constexpr int kSampleWidth = 320;
constexpr int kSampleHeight = 240;

Picture makeSamplePicture();

} // namespace demo

#endif
