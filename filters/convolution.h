// 3x3 and 5x5 convolution: the scalar kernels that state the arithmetic, and
// what the fast row kernels share with them.
#ifndef MARDOLIN_CONVOLUTION_H
#define MARDOLIN_CONVOLUTION_H

#include <cstdint>

namespace mardolin {

// Filters width x height source words into the destination words with a
// kernel of 9 (25) single-precision weights, element 0 weighting the upper
// left neighbour; beyond the border the nearest border pixel stands in.
// Pixels are visited column by column, top to bottom, and each pixel's
// neighbours are read before its output is written: the destination may be
// the source itself, in which case pixels already written take part with
// their new values. The kernel is read once, before the pass.
// Host thread; touches only the width x height words of each array and the
// kernel's 9 (25) words.
void convolve3X3(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                 const uint32_t *kernelWords, double divisor, double bias);
void convolve5X5(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                 const uint32_t *kernelWords, double divisor, double bias);

// The same pass (size 3 or 5) over the columns from firstColumn on only.
void convolveColumnsFrom(int32_t size, int32_t firstColumn, const uint32_t *sourceWords, uint32_t *destinationWords,
                         int32_t width, int32_t height, const uint32_t *kernelWords, double divisor, double bias);

// The pass's last step for one channel: the single-precision sum with the
// bias added and divided by the divisor in double precision, truncated.
int32_t scaledChannel(float sum, double divisor, double bias);

// Whether one single-precision fused multiply-add per step, N x K + S
// rounded once, gives the pass's own steps (double product and sum, then
// rounded to single precision) for every picture: every weight finite, and
// every exact step sum a multiple of 2^L (L the exponent of the lowest set
// bit over the non-zero weights) below 2^(L+53), so that double precision
// holds it exactly and the single rounding is the same.
bool fusedSumsAreExact(const float *weights, int32_t count);

// Weights that are integers of at most 127 in magnitude once multiplied by
// 2^shift, whose magnitudes add up to at most 64: then no step of the
// single-precision sum rounds, a channel's sum is the integer sum of
// channel x scaled weight times 2^-shift, and that integer lies in
// lowestSum .. lowestSum + sumCount - 1.
struct SmallIntegerWeights {
    static constexpr int32_t LargestShift = 24;
    static constexpr int32_t LargestWeight = 127;
    static constexpr int32_t LargestMagnitudes = 64;
    static constexpr int32_t LargestSumCount = 255 * LargestMagnitudes + 1;
    int32_t count;
    int32_t scaled[25];
    int32_t shift;
    int32_t lowestSum;
    int32_t sumCount;
};

// Answers whether the count weights are such weights, and fills integer if so.
bool smallIntegerWeightsOf(const float *weights, int32_t count, SmallIntegerWeights &integer);

// values[i]: the channel value (clamped to 0..255) the pass makes of the
// integer sum lowestSum + i. 0 exactly where the unclamped value is <= 0.
void fillChannelValues(const SmallIntegerWeights &integer, double divisor, double bias, uint8_t *values);

} // namespace mardolin

#endif
