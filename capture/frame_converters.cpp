// The two conversions of a kept frame into pixel words, with no state of
// their own: the plain loops state them pixel by pixel, and fast twins
// take each row's first pixels: x86/ where the processor has AVX2 or
// AVX-512, frame_conversion_neon.cpp on every aarch64 processor.
#include "frame_conversion.h"

namespace {

uint32_t packPixel32(const uint8_t *bgr) {
    return 0xFF000000u | uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | uint32_t(bgr[0]);
}

// 5 bits a channel; black would be 0, which the host reads as transparent.
uint32_t packPixel15(const uint8_t *bgr) {
    uint32_t packed = uint32_t(bgr[2] >> 3) << 10 | uint32_t(bgr[1] >> 3) << 5 | uint32_t(bgr[0] >> 3);
    return packed == 0 ? 1 : packed;
}

// The picture's row y, counted from the top.
const uint8_t *sourceRow(const uint8_t *source, uint32_t frameWidth, uint32_t frameHeight, uint32_t y, RowOrder order) {
    return source + rgb24RowStride(frameWidth) * (order == RowOrder::TopDown ? y : frameHeight - 1 - y);
}

// A fast twin converts a row's first pixels and answers how many.
using RowConversion = uint32_t (*)(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);

uint32_t nothingConverted(const uint8_t *, uint32_t *, uint32_t) { return 0; }

struct RowConversions {
    RowConversion to32;
    RowConversion to16;
};

// Chosen once, at the first conversion: the AVX-512 twins where the
// processor has AVX-512 F, BW and VBMI (the byte permutes need VBMI), else
// the AVX2 twins where it has AVX2, else none, and the plain loops below do
// every pixel.
const RowConversions &fastRowConversions() {
    static const RowConversions chosen = [] {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
            return RowConversions{convertRowTo32Avx512, convertRowTo16Avx512};
        if (__builtin_cpu_supports("avx2")) return RowConversions{convertRowTo32Avx2, convertRowTo16Avx2};
#elif defined(__aarch64__)
        return RowConversions{convertRowTo32Neon, convertRowTo16Neon};
#endif
        return RowConversions{nothingConverted, nothingConverted};
    }();
    return chosen;
}

} // namespace

int convertFrameTo32(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight) {
    return convertFrameTo32(source, destination, frameWidth, frameHeight, RowOrder::BottomUp);
}

int convertFrameTo32(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight,
                     RowOrder order) {
    const RowConversion fast = fastRowConversions().to32;
    for (uint32_t y = 0; y < frameHeight; ++y) {
        const uint8_t *row = sourceRow(source, frameWidth, frameHeight, y, order);
        for (uint32_t x = fast(row, destination, frameWidth); x < frameWidth; ++x)
            destination[x] = packPixel32(row + 3 * x);
        destination += frameWidth;
    }
    return 1;
}

int convertFrameTo16(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight) {
    return convertFrameTo16(source, destination, frameWidth, frameHeight, RowOrder::BottomUp);
}

int convertFrameTo16(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight,
                     RowOrder order) {
    const RowConversion fast = fastRowConversions().to16;
    for (uint32_t y = 0; y < frameHeight; ++y) {
        const uint8_t *row = sourceRow(source, frameWidth, frameHeight, y, order);
        // The fast twin stops at an even pixel, the start of a word.
        for (uint32_t x = fast(row, destination, frameWidth); x < frameWidth; x += 2) {
            uint32_t right = x + 1 < frameWidth ? x + 1 : x;
            destination[x / 2] = packPixel15(row + 3 * x) << 16 | packPixel15(row + 3 * right);
        }
        destination += (frameWidth + 1) / 2;
    }
    return 1;
}
