// The frame conversions' fast twins for one row on aarch64, where NEON is
// the baseline: sixteen pixels a step, split into blue, green and red byte
// planes by one structured load.
#include "frame_conversion.h"

#include <arm_neon.h>

uint32_t convertRowTo32Neon(const uint8_t *row, uint32_t *destination, uint32_t frameWidth) {
    uint32_t x = 0;
    for (; x + 16 <= frameWidth; x += 16) {
        const uint8x16x3_t bgr = vld3q_u8(row + 3 * x);
        const uint8x16x4_t words = {{bgr.val[0], bgr.val[1], bgr.val[2], vdupq_n_u8(255)}};
        vst4q_u8(reinterpret_cast<uint8_t *>(destination + x), words);
    }
    return x;
}

namespace {

// Eight pixels' 15-bit values: red's top five bits at 14..10 (shifted in
// from above bit 15), green's at 9..5 and blue's at 4..0 inserted below,
// and a packed 0 made 1 (the compare answers all ones there).
uint16x8_t fifteenBitPixels(uint8x8_t blue, uint8x8_t green, uint8x8_t red) {
    uint16x8_t packed = vshrq_n_u16(vshll_n_u8(red, 8), 1);
    packed = vsriq_n_u16(packed, vshll_n_u8(green, 8), 6);
    packed = vsriq_n_u16(packed, vshll_n_u8(blue, 8), 11);
    return vsubq_u16(packed, vceqzq_u16(packed));
}

} // namespace

// The left pixel of each pair goes high in its word: the halves of every
// word swapped.
uint32_t convertRowTo16Neon(const uint8_t *row, uint32_t *destination, uint32_t frameWidth) {
    uint32_t x = 0;
    for (; x + 16 <= frameWidth; x += 16) {
        const uint8x16x3_t bgr = vld3q_u8(row + 3 * x);
        const uint16x8_t low = fifteenBitPixels(vget_low_u8(bgr.val[0]), vget_low_u8(bgr.val[1]),
                                                vget_low_u8(bgr.val[2]));
        const uint16x8_t high = fifteenBitPixels(vget_high_u8(bgr.val[0]), vget_high_u8(bgr.val[1]),
                                                 vget_high_u8(bgr.val[2]));
        const uint16x8x2_t pairs = {{vrev32q_u16(low), vrev32q_u16(high)}};
        vst1q_u16_x2(reinterpret_cast<uint16_t *>(destination + x / 2), pairs);
    }
    return x;
}
