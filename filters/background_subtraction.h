// Background subtraction: the scalar kernel that states the arithmetic.
#ifndef MARDOLIN_BACKGROUND_SUBTRACTION_H
#define MARDOLIN_BACKGROUND_SUBTRACTION_H

#include <cstdint>

namespace mardolin {

// For each index i from 0 up: output[i] = frame[i] where the colour distance
// of background[i] and frame[i] exceeds threshold, else the transparent 0.
// Both inputs at i are read before output[i] is written, so output may be
// frame or background itself. Host thread; touches only words 0 .. count - 1
// of the three arrays.
void subtractBackgroundPixels(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                              double threshold);

} // namespace mardolin

#endif
