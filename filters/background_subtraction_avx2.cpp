// subtractBackgroundAbove, eight pixels a step.
#include "background_subtraction.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx2.h"

namespace mardolin {

namespace {

// |a - b| per channel, then one byte multiply-add by (1, 1, 1, 0) sums blue
// with green and red with nothing (alpha takes no part), and one 16-bit
// multiply-add by 1 totals the halves.
__m256i channelSumsAvx2(__m256i a, __m256i b) {
    a = withBlueRuleAvx2(a);
    b = withBlueRuleAvx2(b);
    const __m256i difference = _mm256_sub_epi8(_mm256_max_epu8(a, b), _mm256_min_epu8(a, b));
    const __m256i halves = _mm256_maddubs_epi16(difference, _mm256_set1_epi32(0x00010101));
    return _mm256_madd_epi16(halves, _mm256_set1_epi16(1));
}

} // namespace

void subtractBackgroundAboveAvx2(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                                 int32_t movingSum) {
    const __m256i stillSum = _mm256_set1_epi32(movingSum - 1);
    forEachStep<8>(frame, background, output, count, [&](int32_t i) {
        const __m256i framePixels = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(frame + i));
        const __m256i backgroundPixels = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(background + i));
        const __m256i moving = _mm256_cmpgt_epi32(channelSumsAvx2(backgroundPixels, framePixels), stillSum);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(output + i), _mm256_and_si256(moving, framePixels));
    });
}

} // namespace mardolin

#endif
