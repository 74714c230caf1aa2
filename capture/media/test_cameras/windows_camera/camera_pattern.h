// What the test camera sends: its frame format and the one picture every
// frame shows. Shared with the tests, which compare captures with it word
// for word.
#ifndef WINDOWS_CAMERA_CAMERA_PATTERN_H
#define WINDOWS_CAMERA_CAMERA_PATTERN_H

#include <cstdint>

namespace testcamera {

// Small frames keep an emulated machine's copies and previews cheap; the
// width also differs from the 320 x 240 the capture graph merely suggests.
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kFramesPerSecond = 30;
// RGB24 rows of 480 bytes need no padding to a multiple of four.
constexpr int kRowBytes = kWidth * 3;
constexpr int kFrameBytes = kRowBytes * kHeight;
static_assert(kRowBytes % 4 == 0, "RGB24 rows must not need padding");

struct Bgr {
    uint8_t blue, green, red;
};

// Pixel (x, y), y counted from the top of the picture. Blue follows x and
// green follows y, so a mirrored or upside-down picture shows; the top
// left corner is dark enough to pack to the 15-bit zero.
inline Bgr patternPixel(int x, int y) {
    return Bgr{uint8_t(x), uint8_t(2 * y), uint8_t(x ^ (3 * y))};
}

} // namespace testcamera

#endif
