// The frame conversions' fast twins for one row, on processors with AVX-512
// F, BW and VBMI: byte permutes spread the row's three-byte pixels straight
// from 64-byte loads, and masked loads and stores take the row's first
// and last pixels, so each twin converts the whole row and reads only its
// bytes.
// Only this file is compiled for AVX-512; frame_conversion.cpp checks the
// processor before calling it.
#include "frame_conversion.h"

#include <immintrin.h>

#include <algorithm>

namespace {

constexpr __mmask64 ColourBytes = 0x7777777777777777ull;

__mmask64 firstBytes(uint32_t count) { return count >= 64 ? ~__mmask64(0) : (__mmask64(1) << count) - 1; }

// Indices into a two-register table of source bytes that give sixteen
// words of (blue, green, red, 255), the first word's blue at table byte
// first. An index's own byte stands where the permute's mask keeps it:
// 255 in each alpha byte.
__m512i wordIndices(int first) {
    alignas(64) uint8_t indices[64];
    for (int pixel = 0; pixel < 16; ++pixel) {
        for (int channel = 0; channel < 3; ++channel)
            indices[4 * pixel + channel] = static_cast<uint8_t>(first + 3 * pixel + channel);
        indices[4 * pixel + 3] = 255;
    }
    return _mm512_load_si512(indices);
}

__m512i wordsOf(__m512i low, __m512i indices, __m512i high) {
    return _mm512_mask2_permutex2var_epi8(low, indices, ColourBytes, high);
}

// Indices into a two-register table holding a step's 96 source bytes,
// bytes 0..63 in the first register and 32..95 in the second, that give
// each 16-bit word two bytes of one pixel: the pixel of the depth 16
// word's other half, for the left pixel goes high.
__m512i halfWordIndices(int lowChannel, int highChannel) {
    alignas(64) uint8_t indices[64];
    for (int half = 0; half < 32; ++half) {
        const int pixel = half ^ 1;
        const int channels[2] = {lowChannel, highChannel};
        for (int byte = 0; byte < 2; ++byte) {
            const int source = 3 * pixel + channels[byte];
            indices[2 * half + byte] = static_cast<uint8_t>(source < 64 ? source : source + 32);
        }
    }
    return _mm512_load_si512(indices);
}

struct HalfWordIndices {
    __m512i blueGreen = halfWordIndices(0, 1);
    __m512i red = halfWordIndices(2, 2);
};

// Thirty-two 15-bit pixels, none 0, each pair's left one high. With blue
// and green's low three bits cleared, blue + 32 green (one byte
// multiply-add) is eight times their part of the packed value; red's part
// is its byte shifted left by 7, cut to bits 10..14.
__m512i fifteenBitPairsOf(__m512i first, __m512i second, const HalfWordIndices &indices) {
    const __m512i blueGreen = _mm512_and_si512(_mm512_permutex2var_epi8(first, indices.blueGreen, second),
                                               _mm512_set1_epi8(static_cast<char>(0xF8)));
    const __m512i red = _mm512_slli_epi16(_mm512_permutex2var_epi8(first, indices.red, second), 7);
    const __m512i low = _mm512_srli_epi16(_mm512_maddubs_epi16(blueGreen, _mm512_set1_epi16(32 << 8 | 1)), 3);
    const __m512i packed = _mm512_ternarylogic_epi32(low, red, _mm512_set1_epi16(0x7C00), 0xF8); // low | red & mask
    return _mm512_max_epu16(packed, _mm512_set1_epi16(1));
}

// Words before the destination's next cache line, at most limit: a masked
// step takes them, so that the full steps' stores fill whole lines, which
// unaligned 64-byte stores cost twice as much as here.
uint32_t wordsBeforeLine(const uint32_t *destination, uint32_t limit) {
    return std::min(uint32_t((64 - reinterpret_cast<uintptr_t>(destination) % 64) % 64 / 4), limit);
}

// Up to 16 pixels at depth 32.
void convertPixelsTo32(const uint8_t *bgr, uint32_t *destination, uint32_t pixels, __m512i indices) {
    const __m512i bytes = _mm512_maskz_loadu_epi8(firstBytes(3 * pixels), bgr);
    _mm512_mask_storeu_epi32(destination, __mmask16((1u << pixels) - 1), wordsOf(bytes, indices, bytes));
}

// Up to 32 pixels at depth 16, from the start of a word.
void convertPixelsTo16(const uint8_t *bgr, uint32_t *destination, uint32_t pixels, const HalfWordIndices &indices) {
    const uint32_t bytes = 3 * pixels;
    const __m512i first = _mm512_maskz_loadu_epi8(firstBytes(bytes), bgr);
    const __m512i second =
        bytes > 32 ? _mm512_maskz_loadu_epi8(firstBytes(bytes - 32), bgr + 32) : _mm512_setzero_si512();
    __m512i pairs = fifteenBitPairsOf(first, second, indices);
    // An odd last pixel stands in both halves of its word.
    if (pixels % 2 == 1)
        pairs = _mm512_mask_mov_epi16(pairs, __mmask32(1) << (pixels - 1), _mm512_bsrli_epi128(pairs, 2));
    _mm512_mask_storeu_epi32(destination, __mmask16((1u << ((pixels + 1) / 2)) - 1), pairs);
}

} // namespace

uint32_t convertRowTo32Avx512(const uint8_t *row, uint32_t *destination, uint32_t frameWidth) {
    // 64 pixels from three loads: words 0..31 from the first two, 32..63
    // from the last two.
    const __m512i indices[4] = {wordIndices(0), wordIndices(48), wordIndices(96 - 64), wordIndices(144 - 64)};
    uint32_t x = wordsBeforeLine(destination, frameWidth);
    if (x > 0) convertPixelsTo32(row, destination, x, indices[0]);
    for (; frameWidth - x >= 64; x += 64) {
        const uint8_t *bgr = row + 3 * size_t(x);
        const __m512i first = _mm512_loadu_si512(bgr);
        const __m512i second = _mm512_loadu_si512(bgr + 64);
        const __m512i third = _mm512_loadu_si512(bgr + 128);
        _mm512_storeu_si512(destination + x, wordsOf(first, indices[0], second));
        _mm512_storeu_si512(destination + x + 16, wordsOf(first, indices[1], second));
        _mm512_storeu_si512(destination + x + 32, wordsOf(second, indices[2], third));
        _mm512_storeu_si512(destination + x + 48, wordsOf(second, indices[3], third));
    }
    for (; x < frameWidth; x += 16)
        convertPixelsTo32(row + 3 * size_t(x), destination + x, std::min(frameWidth - x, 16u), indices[0]);
    return frameWidth;
}

uint32_t convertRowTo16Avx512(const uint8_t *row, uint32_t *destination, uint32_t frameWidth) {
    const HalfWordIndices indices;
    uint32_t x = std::min(2 * wordsBeforeLine(destination, 16), frameWidth);
    if (x > 0) convertPixelsTo16(row, destination, x, indices);
    for (; frameWidth - x >= 32; x += 32) {
        const uint8_t *bgr = row + 3 * size_t(x);
        const __m512i first = _mm512_loadu_si512(bgr);
        const __m512i second = _mm512_loadu_si512(bgr + 32); // bytes 32..95
        _mm512_storeu_si512(destination + x / 2, fifteenBitPairsOf(first, second, indices));
    }
    if (x < frameWidth) convertPixelsTo16(row + 3 * size_t(x), destination + x / 2, frameWidth - x, indices);
    return frameWidth;
}
