// subtractBackgroundAbove, sixteen pixels a step. Needs AVX-512 F and BW.
#include "background_subtraction.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx512.h"

namespace mardolin {

namespace {

// The bytes above 0xFF000001's: blueOf's rule, and alpha dropped.
__m512i colourBytesAvx512(__m512i words) { return bytesAboveAvx512(words, 0xFF000001u); }

// |a - b| per channel; one byte multiply-add by (1, 1, 1, 0) sums blue with
// green and red with nothing, and one 16-bit multiply-add totals the halves.
__m512i channelSumsAvx512(__m512i a, __m512i b) {
    a = colourBytesAvx512(a);
    b = colourBytesAvx512(b);
    const __m512i difference = _mm512_sub_epi8(_mm512_max_epu8(a, b), _mm512_min_epu8(a, b));
    const __m512i halves = _mm512_maddubs_epi16(difference, _mm512_set1_epi32(0x00010101));
    return _mm512_madd_epi16(halves, _mm512_set1_epi16(1));
}

} // namespace

void subtractBackgroundAboveAvx512(const uint32_t *frame, const uint32_t *background, uint32_t *output,
                                   int32_t count, int32_t movingSum) {
    const __m512i stillSum = _mm512_set1_epi32(movingSum - 1);
    forEachStep<16>(frame, background, output, count, [&](int32_t i) {
        const __m512i framePixels = _mm512_loadu_si512(frame + i);
        const __m512i backgroundPixels = _mm512_loadu_si512(background + i);
        const __mmask16 moving = _mm512_cmpgt_epi32_mask(channelSumsAvx512(backgroundPixels, framePixels), stillSum);
        _mm512_storeu_si512(output + i, _mm512_maskz_mov_epi32(moving, framePixels));
    });
}

} // namespace mardolin

#endif
