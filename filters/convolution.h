// 3x3 and 5x5 convolution: the scalar kernels that state the arithmetic.
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

} // namespace mardolin

#endif
