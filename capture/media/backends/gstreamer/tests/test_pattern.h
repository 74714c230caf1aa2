// What a captured picture of the virtual camera's test pattern must show:
// its colour bars across the upper rows, compared in host pixel words.
#ifndef CAPTURE_GSTREAMER_TESTS_TEST_PATTERN_H
#define CAPTURE_GSTREAMER_TESTS_TEST_PATTERN_H

#include "virtual_camera.h"

#include <cstdint>
#include <string>
#include <vector>

namespace livetest {

// The column in the middle of bar i, clear of its neighbours' edges.
int barCentre(int bar, int width);

// The row on which the bars are compared: a quarter of the way down, so
// that a picture upside down shows the pattern's bottom rows there.
inline int barRow(int height) { return height / 4; }

// Compares the bars in a capture at depth 32 (one word a pixel) or 16 (two
// 15-bit pixels a word, the left one high), each channel within tolerance.
// Answers an empty string, or what differs.
std::string barsMismatch(const std::vector<uint32_t> &words, int width, int height, int depth, int tolerance);

} // namespace livetest

#endif
