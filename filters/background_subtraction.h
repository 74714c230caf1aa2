// Background subtraction: the scalar kernel that states the arithmetic, and
// the integer form of its threshold that the fast twins use.
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

// The distance is a rounded product of the integer channel sum 0..765, so it
// never falls as the sum grows: "distance > threshold" holds exactly for the
// sums from this one up (766 when it holds for none, as with a NaN). Any thread.
int32_t smallestMovingSum(double threshold);

// Whether a fast kernel should run from the last step down. Each index is
// read before it is written and no other, so either order gives the same
// words. A load whose address matches a store still in flight in its low 12
// bits waits for that store; running up, every load of an input that lies
// just below the output in those bits meets the step before's store.
bool runsDescending(const void *frame, const void *background, const void *output);

// Calls step(i) for i = 0, width, 2 width ... below count, in the order
// runsDescending picks; count is a multiple of width.
template <int32_t Width, typename Step>
void forEachStep(const void *frame, const void *background, const void *output, int32_t count, Step step) {
    if (runsDescending(frame, background, output))
        for (int32_t i = count - Width; i >= 0; i -= Width) step(i);
    else
        for (int32_t i = 0; i < count; i += Width) step(i);
}

// subtractBackgroundPixels with the threshold in that integer form. Fast
// twins take a count that is a multiple of their width.
void subtractBackgroundAbove(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                             int32_t movingSum);
void subtractBackgroundAboveSse2(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                                 int32_t movingSum); // 4 pixels
void subtractBackgroundAboveAvx2(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                                 int32_t movingSum); // 8 pixels
void subtractBackgroundAboveAvx512(const uint32_t *frame, const uint32_t *background, uint32_t *output,
                                   int32_t count, int32_t movingSum); // 16 pixels
void subtractBackgroundAboveNeon(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                                 int32_t movingSum); // 16 pixels

} // namespace mardolin

#endif
