// The one place that decides which kernels the primitives run: the scalar
// kernels that state the arithmetic, the baseline fast kernels every
// processor of the target runs (SSE2 on x86, NEON on aarch64, portable code
// elsewhere), the
// AVX2 ones, or the AVX-512 ones (F, BW and VBMI) with AVX2 for the rest. The fastest level the processor supports is
// picked once, at the first call; all levels give the same words.
#ifndef MARDOLIN_KERNEL_DISPATCH_H
#define MARDOLIN_KERNEL_DISPATCH_H

#include "brightness_contrast.h"

#include <cstdint>

namespace mardolin {

enum class KernelLevel : int32_t { Scalar = 0, Baseline = 1, Avx2 = 2, Avx512 = 3 };

// Any thread. Whether this build and processor can run the level.
bool supportsKernelLevel(KernelLevel level);

// For tests only, before any primitive runs concurrently: makes every later
// call run the level's kernels. Answers false, changing nothing, when the
// level is not supported.
bool selectKernelLevel(KernelLevel level);

// The primitives' passes. Each checks nothing (the primitive has), runs the
// selected level's kernel over the whole run of words its width divides, and
// the rest through the scalar twin of that kernel. Host thread; each touches
// what its scalar kernel touches.
namespace dispatch {

void adjustBrightnessAndContrast(uint32_t *words, int32_t count, ChannelLevels contrast, ChannelLevels brightness);
void subtractBackground(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                        double threshold);
// convolve3X3 (size 3) or convolve5X5 (size 5).
void convolve(int32_t size, const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
              const uint32_t *kernelWords, double divisor, double bias);
void melt(uint32_t *words, int32_t width, int32_t height, double amount);
void oldBWTV(uint32_t *words, int32_t count);
void oldColorTV(uint32_t *words, int32_t count);

} // namespace dispatch

} // namespace mardolin

#endif
