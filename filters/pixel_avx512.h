// The pixel model's rules on sixteen words at once, for the AVX-512 kernels.
// The functions have internal linkage, so no copy of them compiled with
// AVX-512 can stand in for a baseline one.
#ifndef MARDOLIN_PIXEL_AVX512_H
#define MARDOLIN_PIXEL_AVX512_H

#include <immintrin.h>

#include <cstdint>

namespace mardolin {
namespace {

// Each word's bytes that exceed the same byte of floor, the others 0. With
// a blue floor of 1 this is blueOf's rule (a blue byte of 0 is 0 either
// way); a floor of 255 drops its byte, one of 0 keeps it as it is.
inline __m512i bytesAboveAvx512(__m512i words, uint32_t floor) {
    return _mm512_maskz_mov_epi8(_mm512_cmpgt_epu8_mask(words, _mm512_set1_epi32(static_cast<int32_t>(floor))), words);
}

// Two 16-bit factors for a multiply-add: low for each word's low half, high for its high half.
inline __m512i factorPairsAvx512(int16_t low, int16_t high) {
    return _mm512_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16 |
                                                  static_cast<uint16_t>(low)));
}

// _mm512_srli_epi32. GCC 12 warns that the plain form's undefined
// pass-through may be used uninitialized; the zero-masking form has none.
inline __m512i shiftedRightAvx512(__m512i words, unsigned int bits) {
    return _mm512_maskz_srli_epi32(static_cast<__mmask16>(0xFFFF), words, bits);
}

} // namespace
} // namespace mardolin

#endif
