// subtractBackgroundAbove, sixteen pixels a step, on byte planes: absolute
// differences per channel, their sum widened to 16 bits, and the frame's
// bytes kept where the sum reaches the moving sum.
#include "background_subtraction.h"
#include "instruction_sets.h"

#if MARDOLIN_NEON_KERNELS
#include <arm_neon.h>

namespace mardolin {

namespace {

// blueOf: a blue byte of 1 reads as 0.
uint8x16_t withBlueRule(uint8x16_t blue) { return vbicq_u8(blue, vceqq_u8(blue, vdupq_n_u8(1))); }

} // namespace

void subtractBackgroundAboveNeon(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                                 int32_t movingSum) {
    // Sums lie in 0..765 and the moving sum in 0..766: both fit 16 bits.
    const uint16x8_t moving = vdupq_n_u16(static_cast<uint16_t>(movingSum));
    for (int32_t i = 0; i < count; i += 16) {
        const uint8x16x4_t f = vld4q_u8(reinterpret_cast<const uint8_t *>(frame + i));
        const uint8x16x4_t b = vld4q_u8(reinterpret_cast<const uint8_t *>(background + i));
        const uint8x16_t blue = vabdq_u8(withBlueRule(f.val[0]), withBlueRule(b.val[0]));
        const uint8x16_t green = vabdq_u8(f.val[1], b.val[1]);
        const uint8x16_t red = vabdq_u8(f.val[2], b.val[2]);
        const uint16x8_t low = vaddw_u8(vaddl_u8(vget_low_u8(red), vget_low_u8(green)), vget_low_u8(blue));
        const uint16x8_t high = vaddw_high_u8(vaddl_high_u8(red, green), blue);
        const uint8x16_t keep = vcombine_u8(vmovn_u16(vcgeq_u16(low, moving)), vmovn_u16(vcgeq_u16(high, moving)));
        uint8x16x4_t out;
#pragma GCC unroll 4
        for (int c = 0; c < 4; ++c) out.val[c] = vandq_u8(f.val[c], keep);
        vst4q_u8(reinterpret_cast<uint8_t *>(output + i), out);
    }
}

} // namespace mardolin

#endif
