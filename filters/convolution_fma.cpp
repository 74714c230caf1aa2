// The fused row kernels, thirty-two output pixels a step, for weights of
// fusedSumsAreExact: each step of a channel's sum is one single-precision
// fused multiply-add, eight pixels a register, in the scalar kernel's order
// (element 1 first, element 0 second). Compiled with FMA, and run only where
// the processor reports it.
#include "convolution.h"
#include "convolution_rows.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx2.h"

namespace mardolin {

namespace {

// Twelve independent sums (four groups of eight pixels, three channels)
// cover the multiply-add's latency.
constexpr int Groups = 4;

uint32_t withBlueRule(uint32_t word) { return (word & 255u) == 1u ? word - 1u : word; }

void storeChannels(__m256i words, SingleChannelPlanes &planes, int32_t j) {
    const __m256i channel = _mm256_set1_epi32(255);
    _mm256_storeu_ps(planes.red + j, _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(words, 16), channel)));
    _mm256_storeu_ps(planes.green + j, _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(words, 8), channel)));
    _mm256_storeu_ps(planes.blue + j, _mm256_cvtepi32_ps(_mm256_and_si256(words, channel)));
}

void storeChannels(uint32_t word, SingleChannelPlanes &planes, int32_t j) {
    planes.red[j] = static_cast<float>((word >> 16) & 255u);
    planes.green[j] = static_cast<float>((word >> 8) & 255u);
    planes.blue[j] = static_cast<float>(word & 255u);
}

void splitRowFma(const uint32_t *sourceRow, int32_t width, int32_t firstColumn, int32_t entries,
                 SingleChannelPlanes &planes) {
    int32_t j = 0;
    for (; j < entries && firstColumn + j < 0; ++j) storeChannels(withBlueRule(sourceRow[0]), planes, j);
    const int32_t insideEnd = width - firstColumn < entries ? width - firstColumn : entries;
    // Rows are laid out one strip at a time, a picture's row apart: the
    // prefetchers do not follow that, so the strip four rows below
    // is asked for here (a prefetch past the picture does no harm).
    const uintptr_t ahead = reinterpret_cast<uintptr_t>(sourceRow) + 4 * sizeof(uint32_t) * static_cast<size_t>(width);
    for (; j + 8 <= insideEnd; j += 8) {
        _mm_prefetch(reinterpret_cast<const char *>(ahead + sizeof(uint32_t) * static_cast<size_t>(firstColumn + j)),
                     _MM_HINT_T0);
        storeChannels(
            withBlueRuleAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(sourceRow + firstColumn + j))),
            planes, j);
    }
    for (; j < insideEnd; ++j) storeChannels(withBlueRule(sourceRow[firstColumn + j]), planes, j);
    for (; j < entries; ++j) storeChannels(withBlueRule(sourceRow[width - 1]), planes, j);
}

const float *planeOf(const SingleChannelPlanes &planes, int channel) {
    return channel == 0 ? planes.red : channel == 1 ? planes.green : planes.blue;
}

bool anyIndefinite(__m256i truncated) {
    const __m256i indefinite = _mm256_cmpeq_epi32(truncated, _mm256_set1_epi32(static_cast<int32_t>(0x80000000u)));
    return _mm256_movemask_epi8(indefinite) != 0;
}

// Four quotients (S + bias) / divisor, as the plan's epilogue forms them.
template <FusedEpilogue Epilogue> __m256d quotientsOf(__m256d sums, const FusedRowPlan &plan) {
    const __m256d dividends = _mm256_add_pd(sums, _mm256_set1_pd(plan.bias));
    if (Epilogue == FusedEpilogue::Quotient) return _mm256_div_pd(dividends, _mm256_set1_pd(plan.divisor));
    const __m256d products = _mm256_mul_pd(dividends, _mm256_set1_pd(plan.reciprocal));
    if (Epilogue == FusedEpilogue::DoubleProduct) return products;
    // The product's truncation can differ from the quotient's only across an
    // integer within 2^-50 of it, relatively; 0 is never crossed, since both
    // have the same sign. NaN and infinite products are never near.
    const __m256d sign = _mm256_set1_pd(-0.0);
    const __m256d nearest = _mm256_round_pd(products, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d distance = _mm256_andnot_pd(sign, _mm256_sub_pd(products, nearest));
    const __m256d limit = _mm256_mul_pd(_mm256_andnot_pd(sign, products), _mm256_set1_pd(0x1p-50));
    const __m256d near = _mm256_and_pd(_mm256_cmp_pd(distance, limit, _CMP_LE_OQ),
                                       _mm256_cmp_pd(nearest, _mm256_setzero_pd(), _CMP_NEQ_OQ));
    if (_mm256_movemask_pd(near) != 0) return _mm256_div_pd(dividends, _mm256_set1_pd(plan.divisor));
    return products;
}

// The eight channel values' truncations; where one has no 32-bit truncation
// (the instruction answers 0x80000000), the scalar kernel's own last step.
template <FusedEpilogue Epilogue> __m256i truncatedChannels(__m256 sums, const FusedRowPlan &plan) {
    __m256i truncated;
    if (Epilogue == FusedEpilogue::SingleProduct) {
        truncated = _mm256_cvttps_epi32(_mm256_mul_ps(sums, _mm256_set1_ps(plan.singleReciprocal)));
    } else {
        const __m128i low = _mm256_cvttpd_epi32(quotientsOf<Epilogue>(_mm256_cvtps_pd(_mm256_castps256_ps128(sums)), plan));
        const __m128i high =
            _mm256_cvttpd_epi32(quotientsOf<Epilogue>(_mm256_cvtps_pd(_mm256_extractf128_ps(sums, 1)), plan));
        truncated = _mm256_set_m128i(high, low);
    }
    if (!anyIndefinite(truncated)) return truncated;
    alignas(32) float sum[8];
    alignas(32) int32_t value[8];
    _mm256_store_ps(sum, sums);
    for (int lane = 0; lane < 8; ++lane) value[lane] = scaledChannel(sum[lane], plan.divisor, plan.bias);
    return _mm256_load_si256(reinterpret_cast<const __m256i *>(value));
}

// Alpha 255 and the channels clamped to 0..255 (saturating packs), OpaqueBlack
// where all three are <= 0.
__m256i packedWords(__m256i red, __m256i green, __m256i blue) {
    const __m256i blueGreen = _mm256_packs_epi32(blue, green);
    const __m256i redAlpha = _mm256_packs_epi32(red, _mm256_set1_epi32(255));
    const __m256i planar = _mm256_packus_epi16(blueGreen, redAlpha); // per half: b0..b3 g0..g3 r0..r3 a0..a3
    const __m256i order = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12, 1, 5, 9,
                                           13, 2, 6, 10, 14, 3, 7, 11, 15);
    return withOpaqueBlackRuleAvx2(_mm256_shuffle_epi8(planar, order));
}

template <int Size, FusedEpilogue Epilogue>
void fusedRowFma(const SingleChannelPlanes *const *rows, uint32_t *output, int32_t count, const FusedRowPlan &plan) {
    constexpr int Count = Size * Size;
    for (int32_t x = 0; x < count; x += 8 * Groups) {
        auto neighbours = [&](int k, int group, int c) {
            return _mm256_loadu_ps(planeOf(*rows[k / Size], c) + x + 8 * group + k % Size);
        };
        __m256 sums[Groups][3];
        const __m256 first = _mm256_set1_ps(plan.weights[1]);
        for (int g = 0; g < Groups; ++g)
            for (int c = 0; c < 3; ++c) sums[g][c] = _mm256_mul_ps(neighbours(1, g, c), first);
        for (int k = 0; k < Count; k = k == 0 ? 2 : k + 1) {
            const __m256 weight = _mm256_set1_ps(plan.weights[k]);
            for (int g = 0; g < Groups; ++g)
                for (int c = 0; c < 3; ++c) sums[g][c] = _mm256_fmadd_ps(neighbours(k, g, c), weight, sums[g][c]);
        }
        for (int g = 0; g < Groups; ++g)
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(output + x + 8 * g),
                                packedWords(truncatedChannels<Epilogue>(sums[g][0], plan),
                                            truncatedChannels<Epilogue>(sums[g][1], plan),
                                            truncatedChannels<Epilogue>(sums[g][2], plan)));
    }
}

template <int Size>
void fusedRowFma(const SingleChannelPlanes *const *rows, uint32_t *output, int32_t count, const FusedRowPlan &plan) {
    switch (plan.epilogue) {
    case FusedEpilogue::SingleProduct: return fusedRowFma<Size, FusedEpilogue::SingleProduct>(rows, output, count, plan);
    case FusedEpilogue::DoubleProduct: return fusedRowFma<Size, FusedEpilogue::DoubleProduct>(rows, output, count, plan);
    case FusedEpilogue::CheckedProduct:
        return fusedRowFma<Size, FusedEpilogue::CheckedProduct>(rows, output, count, plan);
    case FusedEpilogue::Quotient: return fusedRowFma<Size, FusedEpilogue::Quotient>(rows, output, count, plan);
    }
}

} // namespace

const FusedRowKernels FusedRowsAvx2 = {8 * Groups, splitRowFma, fusedRowFma<3>, fusedRowFma<5>};

} // namespace mardolin

#endif
