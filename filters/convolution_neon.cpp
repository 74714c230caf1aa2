// The convolution's row kernels on NEON, sixteen output pixels a step.
//   Laid-out rows hold each entry's bytes with their top bit flipped, so
//   that a channel c reads as the signed byte c - 128.
//   Small integer weights: exact sums of (c - 128) x weight, signed byte
//   multiply-adds into 16 bits, started at 128 x the weights' total; then
//   the channel values, computed where that was checked against the table
//   for every sum, else looked up in it.
//   Single-precision sums: the scalar kernel's steps in its order, two
//   pixels per register. Each step's product of a channel (8 bits) and a
//   single-precision weight (24 bits) is exact in double precision, so the
//   fused multiply-add rounds its sum exactly as the scalar kernel's
//   product and sum do; the sum is then rounded to single precision and
//   widened again.
#include "convolution.h"
#include "convolution_rows.h"
#include "instruction_sets.h"

#if MARDOLIN_NEON_KERNELS
#include <arm_neon.h>

namespace mardolin {

namespace {

constexpr int32_t Step = 16;
constexpr int32_t FloatStep = 8;
constexpr uint32_t Flipped = 0x80808080u;

uint32_t laidOut(uint32_t word) { return ((word & 255u) == 1u ? word - 1u : word) ^ Flipped; }

// blueOf's rule on four words (a blue byte of 1 becomes 0), top bits flipped.
uint32x4_t laidOut(uint32x4_t words) {
    const uint32x4_t blueIsOne = vceqq_u32(vandq_u32(words, vdupq_n_u32(255)), vdupq_n_u32(1));
    return veorq_u32(vaddq_u32(words, blueIsOne), vdupq_n_u32(Flipped));
}

void layOutRowNeon(const uint32_t *sourceRow, int32_t width, int32_t firstColumn, int32_t entries, uint32_t *row) {
    int32_t j = 0;
    for (; j < entries && firstColumn + j < 0; ++j) row[j] = laidOut(sourceRow[0]);
    const int32_t insideEnd = width - firstColumn < entries ? width - firstColumn : entries;
    for (; j + 4 <= insideEnd; j += 4) vst1q_u32(row + j, laidOut(vld1q_u32(sourceRow + firstColumn + j)));
    for (; j < insideEnd; ++j) row[j] = laidOut(sourceRow[firstColumn + j]);
    for (; j < entries; ++j) row[j] = laidOut(sourceRow[width - 1]);
}

void storeAsDoubles(double *to, uint8x8_t bytes) {
    const uint16x8_t wide = vmovl_u8(bytes);
    const uint32x4_t low = vmovl_u16(vget_low_u16(wide)), high = vmovl_high_u16(wide);
    float64x2x4_t values = {{vcvtq_f64_u64(vmovl_u32(vget_low_u32(low))), vcvtq_f64_u64(vmovl_high_u32(low)),
                             vcvtq_f64_u64(vmovl_u32(vget_low_u32(high))), vcvtq_f64_u64(vmovl_high_u32(high))}};
    vst1q_f64_x4(to, values);
}

void splitRowNeon(const uint32_t *row, int32_t entries, ChannelPlanes &planes) {
    const uint8x8_t flip = vdup_n_u8(0x80);
    int32_t j = 0;
    for (; j + 8 <= entries; j += 8) {
        const uint8x8x4_t bytes = vld4_u8(reinterpret_cast<const uint8_t *>(row + j));
        storeAsDoubles(planes.red + j, veor_u8(bytes.val[2], flip));
        storeAsDoubles(planes.green + j, veor_u8(bytes.val[1], flip));
        storeAsDoubles(planes.blue + j, veor_u8(bytes.val[0], flip));
    }
    for (; j < entries; ++j) {
        const uint32_t word = row[j] ^ Flipped;
        planes.red[j] = static_cast<double>((word >> 16) & 255u);
        planes.green[j] = static_cast<double>((word >> 8) & 255u);
        planes.blue[j] = static_cast<double>(word & 255u);
    }
}

// Alpha 255 and OpaqueBlack where all three channel bytes are 0 (the
// compare answers 0xFF there, and blue becomes 1).
void storePixels(uint32_t *output, uint8x16_t red, uint8x16_t green, uint8x16_t blue) {
    const uint8x16_t black = vceqzq_u8(vorrq_u8(vorrq_u8(red, green), blue));
    const uint8x16x4_t planes = {{vsubq_u8(blue, black), green, red, vdupq_n_u8(255)}};
    vst4q_u8(reinterpret_cast<uint8_t *>(output), planes);
}

// trunc(sum * scale + offset) in single precision for eight 16-bit sums,
// saturated to 0..255.
uint8x8_t computedValues(int16x8_t sums, const IntegerRowPlan &plan) {
    const float32x4_t scale = vdupq_n_f32(plan.scale), offset = vdupq_n_f32(plan.offset);
    const float32x4_t low = vaddq_f32(vmulq_f32(vcvtq_f32_s32(vmovl_s16(vget_low_s16(sums))), scale), offset);
    const float32x4_t high = vaddq_f32(vmulq_f32(vcvtq_f32_s32(vmovl_high_s16(sums)), scale), offset);
    return vqmovun_s16(vcombine_s16(vqmovn_s32(vcvtq_s32_f32(low)), vqmovn_s32(vcvtq_s32_f32(high))));
}

uint8x16_t computedValues(int16x8_t low, int16x8_t high, const IntegerRowPlan &plan) {
    return vcombine_u8(computedValues(low, plan), computedValues(high, plan));
}

uint8x16_t lookedUpValues(int16x8_t low, int16x8_t high, const IntegerRowPlan &plan) {
    alignas(16) int16_t sums[Step];
    alignas(16) uint8_t values[Step];
    vst1q_s16(sums, low);
    vst1q_s16(sums + 8, high);
    for (int i = 0; i < Step; ++i) values[i] = plan.values[sums[i] - plan.lowestSum];
    return vld1q_u8(values);
}

bool computedValuesMatchNeon(const IntegerRowPlan &plan) {
    const int16x8_t lanes = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int32_t i = 0; i < plan.sumCount; i += 8) {
        alignas(8) uint8_t value[8];
        vst1_u8(value, computedValues(vaddq_s16(vdupq_n_s16(static_cast<int16_t>(plan.lowestSum + i)), lanes), plan));
        for (int32_t j = 0; j < 8 && i + j < plan.sumCount; ++j)
            if (value[j] != plan.values[i + j]) return false;
    }
    return true;
}

template <int Size, bool Computed>
void integerRowNeon(const uint32_t *const *rows, uint32_t *output, int32_t count, const IntegerRowPlan &plan) {
    constexpr int Count = Size * Size;
    int8x8_t weights[Count];
    int32_t total = 0;
    for (int k = 0; k < Count; ++k) {
        weights[k] = vdup_n_s8(static_cast<int8_t>(plan.scaledWeights[k]));
        total += plan.scaledWeights[k];
    }
    const int16x8_t start = vdupq_n_s16(static_cast<int16_t>(128 * total));
    for (int32_t x = 0; x < count; x += Step) {
        int16x8_t low[3] = {start, start, start}, high[3] = {start, start, start}; // blue, green, red
#pragma GCC unroll 25
        for (int k = 0; k < Count; ++k) {
            const int8x16x4_t entries =
                vld4q_s8(reinterpret_cast<const int8_t *>(rows[k / Size] + x + k % Size));
#pragma GCC unroll 4
            for (int c = 0; c < 3; ++c) {
                low[c] = vmlal_s8(low[c], vget_low_s8(entries.val[c]), weights[k]);
                high[c] = vmlal_high_s8(high[c], entries.val[c], vcombine_s8(weights[k], weights[k]));
            }
        }
        uint8x16_t values[3];
#pragma GCC unroll 4
        for (int c = 0; c < 3; ++c)
            values[c] = Computed ? computedValues(low[c], high[c], plan) : lookedUpValues(low[c], high[c], plan);
        storePixels(output + x, values[2], values[1], values[0]);
    }
}

template <int Size>
void integerRowNeon(const uint32_t *const *rows, uint32_t *output, int32_t count, const IntegerRowPlan &plan) {
    if (plan.computed)
        integerRowNeon<Size, true>(rows, output, count, plan);
    else
        integerRowNeon<Size, false>(rows, output, count, plan);
}

// Eight pixels' single-precision sums of one channel, held widened.
struct EightSums {
    float64x2_t quarter[4];
};

// Rounded to single precision and widened again, four sums at a time.
inline __attribute__((always_inline)) void roundToSingle(EightSums &sums) {
#pragma GCC unroll 4
    for (int half = 0; half < 4; half += 2) {
        const float32x4_t single = vcvt_high_f32_f64(vcvt_f32_f64(sums.quarter[half]), sums.quarter[half + 1]);
        sums.quarter[half] = vcvt_f64_f32(vget_low_f32(single));
        sums.quarter[half + 1] = vcvt_high_f64_f32(single);
    }
}

inline __attribute__((always_inline)) void firstStep(EightSums &sums, const double *channels, double weight) {
    const float64x2x4_t n = vld1q_f64_x4(channels);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) sums.quarter[i] = vmulq_n_f64(n.val[i], weight);
    roundToSingle(sums);
}

inline __attribute__((always_inline)) void nextStep(EightSums &sums, const double *channels, double weight) {
    const float64x2x4_t n = vld1q_f64_x4(channels);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) sums.quarter[i] = vfmaq_n_f64(sums.quarter[i], n.val[i], weight);
    roundToSingle(sums);
}

// The scalar kernel's last step for eight sums: (sum + bias) / divisor,
// truncated to 64 bits and its low 32 bits kept, saturated to 0..255. The
// conversion gives 0 for a NaN, as the scalar kernel does, but saturates a
// quotient of 2^63 or more in magnitude where the scalar kernel gives 0:
// its low 32 bits are then 0 or -1, which clamp alike and both count as
// "at most 0", so the word is the same.
uint8x8_t scaledChannels(const EightSums &sums, const FloatRowPlan &plan) {
    const float64x2_t bias = vdupq_n_f64(plan.bias), divisor = vdupq_n_f64(plan.divisor);
    int32x2_t truncated[4];
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i)
        truncated[i] = vmovn_s64(vcvtq_s64_f64(vdivq_f64(vaddq_f64(sums.quarter[i], bias), divisor)));
    const int16x4_t low = vqmovn_s32(vcombine_s32(truncated[0], truncated[1]));
    const int16x4_t high = vqmovn_s32(vcombine_s32(truncated[2], truncated[3]));
    return vqmovun_s16(vcombine_s16(low, high));
}

template <int Size>
void floatRowNeon(const ChannelPlanes *const *rows, uint32_t *output, int32_t count, const FloatRowPlan &plan) {
    constexpr int Count = Size * Size;
    for (int32_t x = 0; x < count; x += FloatStep) {
        // Element k weights row k / Size, entry x + k % Size.
        EightSums red, green, blue;
        firstStep(red, rows[0]->red + x + 1, plan.weights[1]);
        firstStep(green, rows[0]->green + x + 1, plan.weights[1]);
        firstStep(blue, rows[0]->blue + x + 1, plan.weights[1]);
#pragma GCC unroll 25
        for (int k = 0; k < Count; ++k) {
            if (k == 1) continue;
            const ChannelPlanes &row = *rows[k / Size];
            nextStep(red, row.red + x + k % Size, plan.weights[k]);
            nextStep(green, row.green + x + k % Size, plan.weights[k]);
            nextStep(blue, row.blue + x + k % Size, plan.weights[k]);
        }
        const uint8x8x4_t pixels = {
            {scaledChannels(blue, plan), scaledChannels(green, plan), scaledChannels(red, plan), vdup_n_u8(255)}};
        const uint8x8_t black = vceqz_u8(vorr_u8(vorr_u8(pixels.val[0], pixels.val[1]), pixels.val[2]));
        const uint8x8x4_t words = {{vsub_u8(pixels.val[0], black), pixels.val[1], pixels.val[2], pixels.val[3]}};
        vst4_u8(reinterpret_cast<uint8_t *>(output + x), words);
    }
}

} // namespace

// Strips are whole steps of the integer kernels, and so of the float ones.
const ConvolutionRowKernels ConvolutionRowsNeon = {
    Step, layOutRowNeon, splitRowNeon, computedValuesMatchNeon, false, integerRowNeon<3>, integerRowNeon<5>,
    floatRowNeon<3>, floatRowNeon<5>};

} // namespace mardolin

#endif
