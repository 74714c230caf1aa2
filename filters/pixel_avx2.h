// The pixel model's rules on eight words at once, for the AVX2 kernels. The
// functions have internal linkage, so no copy of them compiled with AVX2 can
// stand in for a baseline one.
#ifndef MARDOLIN_PIXEL_AVX2_H
#define MARDOLIN_PIXEL_AVX2_H

#include <immintrin.h>

#include <cstdint>

namespace mardolin {
namespace {

// blueOf: a blue byte of 1 reads as 0. The byte compare also marks the
// zero bytes elsewhere in the word, and clearing those changes nothing.
inline __m256i withBlueRuleAvx2(__m256i words) {
    return _mm256_andnot_si256(_mm256_cmpeq_epi8(words, _mm256_set1_epi32(1)), words);
}

// packPixel with alpha 255: a word whose three channels are all 0 is OpaqueBlack.
inline __m256i withOpaqueBlackRuleAvx2(__m256i opaqueWords) {
    const __m256i isBlack = _mm256_cmpeq_epi32(opaqueWords, _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u)));
    return _mm256_or_si256(opaqueWords, _mm256_and_si256(isBlack, _mm256_set1_epi32(1)));
}

} // namespace
} // namespace mardolin

#endif
