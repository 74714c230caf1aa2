// subtractBackgroundAbove, four pixels a step.
#include "background_subtraction.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_sse2.h"

namespace mardolin {

namespace {

// |a - b| per channel, alpha cleared, summed into each word: the low half of
// (x AND 0x00FF00FF) + ((x >> 8) AND 0x00FF00FF) holds blue + green, the high
// half red, and one multiply-add of the halves by 1 totals them.
__m128i channelSumsSse2(__m128i a, __m128i b) {
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    a = _mm_and_si128(withBlueRuleSse2(a), colour);
    b = _mm_and_si128(withBlueRuleSse2(b), colour);
    const __m128i difference = _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a));
    const __m128i evenBytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i halves =
        _mm_add_epi16(_mm_and_si128(difference, evenBytes), _mm_and_si128(_mm_srli_epi32(difference, 8), evenBytes));
    return _mm_madd_epi16(halves, _mm_set1_epi16(1));
}

} // namespace

void subtractBackgroundAboveSse2(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                                 int32_t movingSum) {
    const __m128i stillSum = _mm_set1_epi32(movingSum - 1);
    forEachStep<4>(frame, background, output, count, [&](int32_t i) {
        const __m128i framePixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(frame + i));
        const __m128i backgroundPixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(background + i));
        const __m128i moving = _mm_cmpgt_epi32(channelSumsSse2(backgroundPixels, framePixels), stillSum);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(output + i), _mm_and_si128(moving, framePixels));
    });
}

} // namespace mardolin

#endif
