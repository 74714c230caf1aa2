// The frame conversions' fast twins for one row, on processors with AVX2:
// a byte shuffle spreads four pixels' twelve bytes over four words, eight
// pixels a step at depth 32 and sixteen at depth 16. Only this file is compiled for AVX2; frame_conversion.cpp
// checks the processor before calling it.
#include "frame_conversion.h"

#include <immintrin.h>

namespace {

// A step reads 32 bytes, of which its eight pixels take 24.
constexpr uint64_t BytesReadPerStep = 32;

// Eight pixels from 3 x 8 bytes (blue, green, red) as 0x00RRGGBB words: one
// load, its 32-bit pieces 0..3 and 3..6 in the two halves, then a byte
// shuffle within each half.
__m256i spreadPixelsOf(const uint8_t *bgr) {
    const __m256i loaded = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(bgr));
    const __m256i bytes = _mm256_permutevar8x32_epi32(loaded, _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6));
    return _mm256_shuffle_epi8(bytes, _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1, 2,
                                                       -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
}

// Each word's channels shifted right by 3 and packed into 15 bits, red
// highest. With each channel's low three bits cleared, blue + 32 green +
// 1024 red (two multiply-adds) is eight times the packed value.
__m256i fifteenBitPixelsOf(__m256i words) {
    const __m256i fiveBits = _mm256_and_si256(words, _mm256_set1_epi32(0x00F8F8F8));
    const __m256i halves = _mm256_maddubs_epi16(fiveBits, _mm256_set1_epi32(0x00012001)); // b + 32g, r
    return _mm256_srli_epi32(_mm256_madd_epi16(halves, _mm256_set1_epi32(1024 << 16 | 1)), 3);
}

bool stepFits(uint32_t x, uint32_t steps, uint32_t frameWidth) {
    return 3 * uint64_t(x) + 24 * uint64_t(steps - 1) + BytesReadPerStep <= 3 * uint64_t(frameWidth);
}

} // namespace

uint32_t convertRowTo32Avx2(const uint8_t *row, uint32_t *destination, uint32_t frameWidth) {
    const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    uint32_t x = 0;
    for (; stepFits(x, 1, frameWidth); x += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(destination + x),
                            _mm256_or_si256(alpha, spreadPixelsOf(row + 3 * x)));
    return x;
}

uint32_t convertRowTo16Avx2(const uint8_t *row, uint32_t *destination, uint32_t frameWidth) {
    uint32_t x = 0;
    for (; stepFits(x, 2, frameWidth); x += 16) {
        const __m256i first = fifteenBitPixelsOf(spreadPixelsOf(row + 3 * x));
        const __m256i second = fifteenBitPixelsOf(spreadPixelsOf(row + 3 * x + 24));
        // 16-bit pixels, within each 128-bit half four of the first eight
        // and then four of the second; each pair swapped so that the left
        // pixel lands high, then the halves' quarters put in order.
        const __m256i narrowed = _mm256_packus_epi32(first, second);
        // A packed 0 becomes 1: the compare answers -1 there.
        const __m256i neverZero = _mm256_sub_epi16(narrowed, _mm256_cmpeq_epi16(narrowed, _mm256_setzero_si256()));
        const __m256i paired =
            _mm256_shuffle_epi8(neverZero, _mm256_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13, 2, 3,
                                                            0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(destination + x / 2),
                            _mm256_permute4x64_epi64(paired, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    return x;
}
