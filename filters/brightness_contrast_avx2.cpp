// adjustPixelsWithTables, eight pixels a step: one gather per channel.
#include "brightness_contrast.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx2.h"

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

} // namespace mardolin

#endif
