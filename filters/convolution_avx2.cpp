// The convolution's row kernels, sixteen output pixels a step.
//   Single-precision sums: four pixels per register, each step the scalar
//   kernel's own double product and sum, rounded to single precision and
//   widened again, in the scalar kernel's order.
//   Small integer weights: exact integer sums, two taps per byte
//   multiply-add, then the channel values, computed where that was checked
//   against the table for every sum, else looked up in it.
#include "convolution.h"
#include "convolution_rows.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx2.h"

namespace mardolin {

namespace {

constexpr int FloatRowGroups = 4;

uint32_t withBlueRule(uint32_t word) { return (word & 255u) == 1u ? word - 1u : word; }

void layOutRowAvx2(const uint32_t *sourceRow, int32_t width, int32_t firstColumn, int32_t entries, uint32_t *row) {
    int32_t j = 0;
    for (; j < entries && firstColumn + j < 0; ++j) row[j] = withBlueRule(sourceRow[0]);
    const int32_t insideEnd = width - firstColumn < entries ? width - firstColumn : entries;
    // Rows are laid out one strip at a time, a picture's row apart: the
    // prefetchers do not follow that, so the strip four rows below is asked
    // for here (a prefetch past the picture does no harm).
    const uintptr_t ahead = reinterpret_cast<uintptr_t>(sourceRow) + 4 * sizeof(uint32_t) * static_cast<size_t>(width);
    for (; j + 8 <= insideEnd; j += 8) {
        _mm_prefetch(reinterpret_cast<const char *>(ahead + sizeof(uint32_t) * static_cast<size_t>(firstColumn + j)),
                     _MM_HINT_T0);
        _mm256_storeu_si256(
            reinterpret_cast<__m256i *>(row + j),
            withBlueRuleAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(sourceRow + firstColumn + j))));
    }
    for (; j < insideEnd; ++j) row[j] = withBlueRule(sourceRow[firstColumn + j]);
    for (; j < entries; ++j) row[j] = withBlueRule(sourceRow[width - 1]);
}

void splitRowAvx2(const uint32_t *row, int32_t entries, ChannelPlanes &planes) {
    const __m128i channel = _mm_set1_epi32(255);
    int32_t j = 0;
    for (; j + 4 <= entries; j += 4) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + j));
        _mm256_storeu_pd(planes.red + j, _mm256_cvtepi32_pd(_mm_and_si128(_mm_srli_epi32(words, 16), channel)));
        _mm256_storeu_pd(planes.green + j, _mm256_cvtepi32_pd(_mm_and_si128(_mm_srli_epi32(words, 8), channel)));
        _mm256_storeu_pd(planes.blue + j, _mm256_cvtepi32_pd(_mm_and_si128(words, channel)));
    }
    for (; j < entries; ++j) {
        planes.red[j] = static_cast<double>((row[j] >> 16) & 255u);
        planes.green[j] = static_cast<double>((row[j] >> 8) & 255u);
        planes.blue[j] = static_cast<double>(row[j] & 255u);
    }
}

// alpha 255 and the clamped channels, OpaqueBlack where all three are <= 0.
__m128i packedWordsAvx2(__m128i red, __m128i green, __m128i blue) {
    const __m128i blueGreen = _mm_packs_epi32(blue, green);
    const __m128i redAlpha = _mm_packs_epi32(red, _mm_set1_epi32(255));
    const __m128i planar = _mm_packus_epi16(blueGreen, redAlpha); // b0..b3 g0..g3 r0..r3 a0..a3
    const __m128i words = _mm_shuffle_epi8(planar, _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
    const __m128i isBlack = _mm_cmpeq_epi32(words, _mm_set1_epi32(static_cast<int32_t>(0xFF000000u)));
    return _mm_or_si128(words, _mm_and_si128(isBlack, _mm_set1_epi32(1)));
}

const double *planeOf(const ChannelPlanes &planes, int channel) {
    return channel == 0 ? planes.red : channel == 1 ? planes.green : planes.blue;
}

__m256d roundedToSingle(__m256d value) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(value)); }

// The truncation for the four sums; a lane whose quotient has no 32-bit
// truncation (the instruction answers 0x80000000) goes through the scalar
// kernel's own last step.
__m128i scaledChannelsAvx2(__m256d sums, const FloatRowPlan &plan) {
    const __m256d quotients =
        _mm256_div_pd(_mm256_add_pd(sums, _mm256_set1_pd(plan.bias)), _mm256_set1_pd(plan.divisor));
    const __m128i truncated = _mm256_cvttpd_epi32(quotients);
    const __m128i indefinite = _mm_cmpeq_epi32(truncated, _mm_set1_epi32(static_cast<int32_t>(0x80000000u)));
    if (_mm_movemask_epi8(indefinite) == 0) return truncated;
    alignas(32) double sum[4];
    alignas(16) int32_t value[4];
    _mm256_store_pd(sum, sums);
    for (int lane = 0; lane < 4; ++lane)
        value[lane] = scaledChannel(static_cast<float>(sum[lane]), plan.divisor, plan.bias);
    return _mm_load_si128(reinterpret_cast<const __m128i *>(value));
}

// Each step's latency (add, narrow, widen) is long, so the sums of several
// groups of four pixels, three channels each, advance together.
template <int Size>
void floatRowAvx2(const ChannelPlanes *const *rows, uint32_t *output, int32_t count, const FloatRowPlan &plan) {
    constexpr int Count = Size * Size;
    constexpr int Groups = FloatRowGroups;
    for (int32_t x = 0; x < count; x += 4 * Groups) {
        auto product = [&](int k, int group, int c) {
            return _mm256_mul_pd(_mm256_loadu_pd(planeOf(*rows[k / Size], c) + x + 4 * group + k % Size),
                                 _mm256_set1_pd(plan.weights[k]));
        };
        __m256d sums[Groups][3];
        for (int g = 0; g < Groups; ++g)
            for (int c = 0; c < 3; ++c) sums[g][c] = roundedToSingle(product(1, g, c));
        for (int g = 0; g < Groups; ++g)
            for (int c = 0; c < 3; ++c) sums[g][c] = roundedToSingle(_mm256_add_pd(product(0, g, c), sums[g][c]));
        for (int k = 2; k < Count; ++k)
            for (int g = 0; g < Groups; ++g)
                for (int c = 0; c < 3; ++c) sums[g][c] = roundedToSingle(_mm256_add_pd(product(k, g, c), sums[g][c]));
        for (int g = 0; g < Groups; ++g)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(output + x + 4 * g),
                             packedWordsAvx2(scaledChannelsAvx2(sums[g][0], plan), scaledChannelsAvx2(sums[g][1], plan),
                                             scaledChannelsAvx2(sums[g][2], plan)));
    }
}

// Channel values for sums widened to 32 bits, two pixels (blue, green, red,
// alpha) a register: a gather of the bytes at values + sum - lowestSum (the
// table has three bytes to spare past its end); alpha lanes are not looked up.
__m256i lookedUpValuesAvx2(__m256i sums, const IntegerRowPlan &plan) {
    const __m256i index = _mm256_sub_epi32(sums, _mm256_set1_epi32(plan.lowestSum));
    const __m256i colourLanes = _mm256_setr_epi32(-1, -1, -1, 0, -1, -1, -1, 0);
    const __m256i bytes = _mm256_mask_i32gather_epi32(
        _mm256_setzero_si256(), reinterpret_cast<const int *>(plan.values), index, colourLanes, 1);
    return _mm256_and_si256(bytes, _mm256_set1_epi32(255));
}

// The same values as trunc(sum * scale + offset) in single precision, for a
// plan whose scale and offset were checked against the table for every sum.
__m256i computedValuesAvx2(__m256i sums, const IntegerRowPlan &plan) {
    const __m256 value =
        _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(sums), _mm256_set1_ps(plan.scale)), _mm256_set1_ps(plan.offset));
    return _mm256_cvttps_epi32(value);
}

enum class ValueForm { Table, Single, FixedPoint };

template <ValueForm Form> __m256i valuesAvx2(__m256i sums, const IntegerRowPlan &plan) {
    return Form == ValueForm::Single ? computedValuesAvx2(sums, plan) : lookedUpValuesAvx2(sums, plan);
}

// Four registers of two pixels' values each, as in valuesAvx2, packed with
// saturation to 0..255 into eight words: packing within 128-bit halves
// gives them in the order 0 2 4 6 1 3 5 7 before the permute. Alpha 255,
// OpaqueBlack where all three channels are 0.
__m256i packedPixelsAvx2(__m256i pixels01, __m256i pixels23, __m256i pixels45, __m256i pixels67) {
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(pixels01, pixels23), _mm256_packs_epi32(pixels45, pixels67));
    const __m256i words =
        _mm256_or_si256(_mm256_set1_epi32(static_cast<int32_t>(0xFF000000u)),
                        _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
    return withOpaqueBlackRuleAvx2(words);
}

// fixedPointValue on sixteen 16-bit sums; the fit keeps every lane inside
// 16 bits. The high half of the signed product and the arithmetic shift
// after it round down, as one shift by 16 + drop does.
__m256i fixedPointValuesAvx2(__m256i sums, const IntegerRowPlan &plan) {
    const __m256i lanes = _mm256_sll_epi16(_mm256_add_epi16(sums, _mm256_set1_epi16(plan.fixedOffset)),
                                           _mm_cvtsi32_si128(plan.fixedShift));
    return _mm256_sra_epi16(_mm256_mulhi_epi16(lanes, _mm256_set1_epi16(plan.fixedFactor)),
                            _mm_cvtsi32_si128(plan.fixedDrop));
}

// The sums of pixels 0, 1, 4, 5 and of 2, 3, 6, 7 as the kernel leaves
// them: packing within 128-bit halves puts the words in order.
__m256i fixedPointPixelsAvx2(__m256i low, __m256i high, const IntegerRowPlan &plan) {
    const __m256i bytes = _mm256_packus_epi16(fixedPointValuesAvx2(low, plan), fixedPointValuesAvx2(high, plan));
    return withOpaqueBlackRuleAvx2(_mm256_or_si256(_mm256_set1_epi32(static_cast<int32_t>(0xFF000000u)), bytes));
}

bool computedValuesMatchAvx2(const IntegerRowPlan &plan) {
    for (int32_t i = 0; i < plan.sumCount; i += 8) {
        const __m256i sums =
            _mm256_add_epi32(_mm256_set1_epi32(plan.lowestSum + i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i computed = computedValuesAvx2(sums, plan);
        const __m128i bytes =
            _mm_packus_epi16(_mm_packs_epi32(_mm256_castsi256_si128(computed), _mm256_extracti128_si256(computed, 1)),
                             _mm_setzero_si128());
        alignas(16) uint8_t value[16];
        _mm_store_si128(reinterpret_cast<__m128i *>(value), bytes);
        for (int32_t j = 0; j < 8 && i + j < plan.sumCount; ++j)
            if (value[j] != plan.values[i + j]) return false;
    }
    return true;
}

template <int Size, ValueForm Form>
void integerRowAvx2(const uint32_t *const *rows, uint32_t *output, int32_t count, const IntegerRowPlan &plan) {
    constexpr int Count = Size * Size;
    constexpr int Pairs = (Count + 1) / 2;
    __m256i pairWeights[Pairs];
    for (int p = 0; p < Pairs; ++p) {
        const int32_t first = plan.scaledWeights[2 * p];
        const int32_t second = 2 * p + 1 < Count ? plan.scaledWeights[2 * p + 1] : 0;
        pairWeights[p] = _mm256_set1_epi16(static_cast<int16_t>((first & 255) | (second & 255) << 8));
    }
    for (int32_t x = 0; x < count; x += 8) {
        // The byte unpacks work within 128-bit halves: pixels 0, 1, 4, 5
        // land in `low`, 2, 3, 6, 7 in `high`, four 16-bit channel sums each.
        __m256i low = _mm256_setzero_si256(), high = _mm256_setzero_si256();
        for (int p = 0; p < Pairs; ++p) {
            const int first = 2 * p, second = 2 * p + 1 < Count ? 2 * p + 1 : 2 * p;
            const __m256i a =
                _mm256_loadu_si256(reinterpret_cast<const __m256i *>(rows[first / Size] + x + first % Size));
            const __m256i b =
                _mm256_loadu_si256(reinterpret_cast<const __m256i *>(rows[second / Size] + x + second % Size));
            low = _mm256_add_epi16(low, _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), pairWeights[p]));
            high = _mm256_add_epi16(high, _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), pairWeights[p]));
        }
        const __m256i words =
            Form == ValueForm::FixedPoint
                ? fixedPointPixelsAvx2(low, high, plan)
                : packedPixelsAvx2(valuesAvx2<Form>(_mm256_cvtepi16_epi32(_mm256_castsi256_si128(low)), plan),
                                   valuesAvx2<Form>(_mm256_cvtepi16_epi32(_mm256_castsi256_si128(high)), plan),
                                   valuesAvx2<Form>(_mm256_cvtepi16_epi32(_mm256_extracti128_si256(low, 1)), plan),
                                   valuesAvx2<Form>(_mm256_cvtepi16_epi32(_mm256_extracti128_si256(high, 1)), plan));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(output + x), words);
    }
}

template <int Size>
void integerRowAvx2(const uint32_t *const *rows, uint32_t *output, int32_t count, const IntegerRowPlan &plan) {
    if (plan.fixedPoint)
        integerRowAvx2<Size, ValueForm::FixedPoint>(rows, output, count, plan);
    else if (plan.computed)
        integerRowAvx2<Size, ValueForm::Single>(rows, output, count, plan);
    else
        integerRowAvx2<Size, ValueForm::Table>(rows, output, count, plan);
}

} // namespace

// Strips are whole steps of both kernels: 16 pixels for the sums, 8 for the integers.
const ConvolutionRowKernels ConvolutionRowsAvx2 = {
    4 * FloatRowGroups, layOutRowAvx2,     splitRowAvx2,    computedValuesMatchAvx2, true,
    integerRowAvx2<3>,  integerRowAvx2<5>, floatRowAvx2<3>, floatRowAvx2<5>};

} // namespace mardolin

#endif
