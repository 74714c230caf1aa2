// The pixel model's rules on four words at once, for the SSE2 kernels. The
// functions have internal linkage, so no copy of them compiled for one
// instruction set can stand in for another's.
#ifndef MARDOLIN_PIXEL_SSE2_H
#define MARDOLIN_PIXEL_SSE2_H

#include <emmintrin.h>

#include <cstdint>

namespace mardolin {
namespace {

// blueOf: a blue byte of 1 reads as 0. The byte compare also marks the
// zero bytes elsewhere in the word, and clearing those changes nothing.
inline __m128i withBlueRuleSse2(__m128i words) {
    return _mm_andnot_si128(_mm_cmpeq_epi8(words, _mm_set1_epi32(1)), words);
}

// packPixel with alpha 255: a word whose three channels are all 0 is OpaqueBlack.
inline __m128i withOpaqueBlackRuleSse2(__m128i opaqueWords) {
    const __m128i isBlack = _mm_cmpeq_epi32(opaqueWords, _mm_set1_epi32(static_cast<int32_t>(0xFF000000u)));
    return _mm_or_si128(opaqueWords, _mm_and_si128(isBlack, _mm_set1_epi32(1)));
}

// The low 32 bits of each lane's product; SSE2 multiplies only lanes 0 and 2.
inline __m128i multiplyLow32Sse2(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

} // namespace
} // namespace mardolin

#endif
