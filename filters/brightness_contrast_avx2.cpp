// The brightness and contrast kernels at AVX2, eight pixels a step:
// adjustPixelsWithTables with one gather per channel, and
// adjustPixelsWithLines, which computes the channels instead.
#include "brightness_contrast.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx2.h"

#include <algorithm>

namespace mardolin {

void adjustPixelsWithTablesAvx2(uint32_t *words, int32_t count, const ChannelTables &tables) {
    const __m256i channelMask = _mm256_set1_epi32(255);
    const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const int *red = reinterpret_cast<const int *>(tables.red);
    const int *green = reinterpret_cast<const int *>(tables.green);
    const int *blue = reinterpret_cast<const int *>(tables.blue);
    for (int32_t i = 0; i < count; i += 8) {
        __m256i *at = reinterpret_cast<__m256i *>(words + i);
        const __m256i pixels = _mm256_loadu_si256(at);
        const __m256i redPart =
            _mm256_i32gather_epi32(red, _mm256_and_si256(_mm256_srli_epi32(pixels, 16), channelMask), 4);
        const __m256i greenPart =
            _mm256_i32gather_epi32(green, _mm256_and_si256(_mm256_srli_epi32(pixels, 8), channelMask), 4);
        const __m256i bluePart = _mm256_i32gather_epi32(blue, _mm256_and_si256(pixels, channelMask), 4);
        const __m256i adjusted = _mm256_or_si256(alpha, _mm256_or_si256(redPart, _mm256_or_si256(greenPart, bluePart)));
        _mm256_storeu_si256(at, withOpaqueBlackRuleAvx2(adjusted));
    }
}

namespace {

// The line's value before clamping, in 32-bit lanes; the fit keeps it
// inside 32 bits.
__m256i lineValues(__m256i channels, const ChannelLine &line) {
    const __m256i product = _mm256_mullo_epi32(channels, _mm256_set1_epi32(line.slope));
    return _mm256_srai_epi32(_mm256_add_epi32(product, _mm256_set1_epi32(line.intercept)), ChannelLineShift);
}

// Per 128-bit lane the packed bytes run blue 0..3, green 0..3, red 0..3,
// alpha 0..3 of that lane's four pixels.
__m256i byLane(int8_t blue, int8_t green, int8_t red, int8_t alpha) {
    return _mm256_setr_epi8(blue, blue, blue, blue, green, green, green, green, red, red, red, red, alpha, alpha,
                            alpha, alpha, blue, blue, blue, blue, green, green, green, green, red, red, red, red,
                            alpha, alpha, alpha, alpha);
}

int8_t byteOf(int32_t value) { return static_cast<int8_t>(static_cast<uint8_t>(value)); }

int8_t raiseOf(const ChannelLine &line) { return byteOf(std::min(std::max(line.brightness, 0), 255)); }
int8_t lowerOf(const ChannelLine &line) { return byteOf(std::min(std::max(-line.brightness, 0), 255)); }

} // namespace

// The byte packs clamp the contrasted values to 0 .. 255, and the saturating
// byte add and subtract clamp the brightness step: adding 255 saturates as
// adding 256 does, and the alpha bytes, packed as 255, stay 255.
void adjustPixelsWithLinesAvx2(uint32_t *words, int32_t count, const ChannelLines &lines) {
    const __m256i channelMask = _mm256_set1_epi32(255);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i alpha = _mm256_set1_epi32(255);
    const __m256i blueOnes = byLane(1, 0, 0, 0);
    const __m256i raise = byLane(raiseOf(lines.blue), raiseOf(lines.green), raiseOf(lines.red), 0);
    const __m256i lower = byLane(lowerOf(lines.blue), lowerOf(lines.green), lowerOf(lines.red), 0);
    const __m256i interleave = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12, 1,
                                                5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    for (int32_t i = 0; i < count; i += 8) {
        __m256i *at = reinterpret_cast<__m256i *>(words + i);
        const __m256i pixels = _mm256_loadu_si256(at);
        const __m256i red = _mm256_and_si256(_mm256_srli_epi32(pixels, 16), channelMask);
        const __m256i green = _mm256_and_si256(_mm256_srli_epi32(pixels, 8), channelMask);
        __m256i blue = _mm256_and_si256(pixels, channelMask);
        blue = _mm256_add_epi32(blue, _mm256_cmpeq_epi32(blue, one)); // blueOf
        const __m256i blueGreen = _mm256_packs_epi32(lineValues(blue, lines.blue), lineValues(green, lines.green));
        const __m256i redAlpha = _mm256_packs_epi32(lineValues(red, lines.red), alpha);
        __m256i bytes = _mm256_packus_epi16(blueGreen, redAlpha);
        // A contrasted blue of 1 reads as 0 before the brightness step.
        bytes = _mm256_sub_epi8(bytes, _mm256_and_si256(_mm256_cmpeq_epi8(bytes, blueOnes), blueOnes));
        bytes = _mm256_subs_epu8(_mm256_adds_epu8(bytes, raise), lower);
        _mm256_storeu_si256(at, withOpaqueBlackRuleAvx2(_mm256_shuffle_epi8(bytes, interleave)));
    }
}

} // namespace mardolin

#endif
