// The television effects, sixteen pixels a step, on the plan of the AVX2
// kernels: the generator runs in sixteen lanes, each a fixed number of draws
// ahead of the one before, and each double comparison of the scalar kernel
// is made as the integer comparison it equals for every possible draw. A
// state with its top bit cleared holds its draw in its high 16-bit half, so
// a byte permute can pair a channel with the draw and one multiply-add
// weigh both. Needs AVX-512 F, BW and VBMI.
#include "instruction_sets.h"
#include "random_effects.h"
#include "random_generator.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx512.h"

namespace mardolin {

namespace {

constexpr int Lanes = 16;

// Lane j holds the state after first + j * spacing draws from state.
__m512i laneStatesAvx512(uint32_t state, uint32_t first, uint32_t spacing) {
    const GeneratorJump toFirst = generatorJump(first);
    const GeneratorJump between = generatorJump(spacing);
    alignas(64) uint32_t lanes[Lanes];
    uint32_t lane = state * toFirst.multiplier + toFirst.increment;
    for (int j = 0; j < Lanes; ++j) {
        lanes[j] = lane;
        lane = lane * between.multiplier + between.increment;
    }
    return _mm512_load_si512(lanes);
}

struct LaneJump {
    __m512i multiplier;
    __m512i increment;
};

LaneJump laneJumpAvx512(uint32_t steps) {
    const GeneratorJump jump = generatorJump(steps);
    return {_mm512_set1_epi32(static_cast<int32_t>(jump.multiplier)),
            _mm512_set1_epi32(static_cast<int32_t>(jump.increment))};
}

__m512i advancedAvx512(__m512i states, const LaneJump &jump) {
    return _mm512_add_epi32(_mm512_mullo_epi32(states, jump.multiplier), jump.increment);
}

// The draw (bits 16..30) as the high half of each word; the low half is
// the state's low bits, which the multiply-adds weigh by 0 or drop.
__m512i drawHalvesAvx512(__m512i states) { return _mm512_and_si512(states, _mm512_set1_epi32(0x7FFFFFFF)); }

uint32_t lastLaneAvx512(__m512i states) {
    alignas(64) uint32_t lanes[Lanes];
    _mm512_store_si512(lanes, states);
    return lanes[Lanes - 1];
}

// Byte indices for a two-register permute that make each word the byte at
// `channelByte` of the first register's word, then (zeroed by the mask
// below) any byte, then the high half of the second register's word.
__m512i channelAndDrawIndices(int channelByte) {
    alignas(64) uint8_t indices[64];
    for (int word = 0; word < Lanes; ++word) {
        indices[4 * word] = static_cast<uint8_t>(4 * word + channelByte);
        indices[4 * word + 1] = 0;
        indices[4 * word + 2] = static_cast<uint8_t>(64 + 4 * word + 2);
        indices[4 * word + 3] = static_cast<uint8_t>(64 + 4 * word + 3);
    }
    return _mm512_load_si512(indices);
}

// Each word's chosen channel as its low half, the draw as its high half.
__m512i channelAndDrawAvx512(__m512i words, __m512i indices, __m512i drawHalves) {
    constexpr __mmask64 AllButSecondBytes = 0xDDDDDDDDDDDDDDDDull;
    return _mm512_maskz_permutex2var_epi8(AllButSecondBytes, words, indices, drawHalves);
}

// randomUnit() < luminanceOf(word) is, for every draw, weighted >
// 7 draw + floor(26631 draw / 32767) (see the AVX2 kernel), compared here as
// weighted - 7 draw against the quotient; below 2^30, floor(x / 32767) is
// (x + (x >> 15) + 1) >> 15.
__mmask16 whiteAvx512(__m512i words, __m512i greenIndices, __m512i drawHalves) {
    const __m512i blueRed = bytesAboveAvx512(words, 0xFF00FF01u); // blue by blueOf's rule, and red
    const __m512i greenDraw = channelAndDrawAvx512(words, greenIndices, drawHalves);
    const __m512i weightedLessSevenDraws =
        _mm512_add_epi32(_mm512_madd_epi16(blueRed, factorPairsAvx512(114, 299)),
                         _mm512_madd_epi16(greenDraw, factorPairsAvx512(587, -7)));
    const __m512i part = _mm512_madd_epi16(drawHalves, factorPairsAvx512(0, 26631));
    const __m512i quotient = shiftedRightAvx512(
        _mm512_add_epi32(_mm512_add_epi32(part, shiftedRightAvx512(part, 15)), _mm512_set1_epi32(1)), 15);
    return _mm512_cmpgt_epi32_mask(weightedLessSevenDraws, quotient);
}

// trunc(randomUnit() * 255.0) < channel is, for every draw,
// 32767 channel - 255 draw > 0: one multiply-add, below 2^24 either way.
__mmask16 switchedOnAvx512(__m512i words, __m512i channelIndices, __m512i states) {
    const __m512i channelDraw = channelAndDrawAvx512(words, channelIndices, drawHalvesAvx512(states));
    return _mm512_cmpgt_epi32_mask(_mm512_madd_epi16(channelDraw, factorPairsAvx512(32767, -255)),
                                   _mm512_setzero_si512());
}

} // namespace

void oldBWTVPixelsAvx512(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    __m512i states = laneStatesAvx512(generatorState(), 1, 1);
    const LaneJump jump = laneJumpAvx512(Lanes);
    const __m512i greenIndices = channelAndDrawIndices(1);
    const __m512i black = _mm512_set1_epi32(static_cast<int32_t>(0xFF000001u));
    const __m512i white = _mm512_set1_epi32(static_cast<int32_t>(0xFFFFFFFFu));
    for (int32_t i = 0;;) {
        uint32_t *at = words + i;
        const __mmask16 turnsWhite = whiteAvx512(_mm512_loadu_si512(at), greenIndices, drawHalvesAvx512(states));
        _mm512_storeu_si512(at, _mm512_mask_blend_epi32(turnsWhite, black, white));
        i += Lanes;
        if (i >= count) break;
        states = advancedAvx512(states, jump);
    }
    setGeneratorState(lastLaneAvx512(states));
}

void oldColorTVPixelsAvx512(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    const uint32_t state = generatorState();
    __m512i redStates = laneStatesAvx512(state, 1, 3);
    __m512i greenStates = laneStatesAvx512(state, 2, 3);
    __m512i blueStates = laneStatesAvx512(state, 3, 3);
    const LaneJump jump = laneJumpAvx512(3 * Lanes);
    const __m512i redIndices = channelAndDrawIndices(2);
    const __m512i greenIndices = channelAndDrawIndices(1);
    const __m512i blueIndices = channelAndDrawIndices(0);
    const __m512i alpha = _mm512_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m512i alphaRed = _mm512_set1_epi32(static_cast<int32_t>(0xFFFF0000u));
    const __m512i greenBits = _mm512_set1_epi32(0x0000FF00);
    const __m512i blueBits = _mm512_set1_epi32(0x000000FF);
    const __m512i one = _mm512_set1_epi32(1);
    for (int32_t i = 0;;) {
        uint32_t *at = words + i;
        const __m512i pixels = bytesAboveAvx512(_mm512_loadu_si512(at), 0x00000001u); // blueOf's rule
        const __mmask16 red = switchedOnAvx512(pixels, redIndices, redStates);
        const __mmask16 green = switchedOnAvx512(pixels, greenIndices, greenStates);
        const __mmask16 blue = switchedOnAvx512(pixels, blueIndices, blueStates);
        __m512i colour = _mm512_mask_mov_epi32(alpha, red, alphaRed);
        colour = _mm512_mask_or_epi32(colour, green, colour, greenBits);
        colour = _mm512_mask_or_epi32(colour, blue, colour, blueBits);
        // OpaqueBlack where no channel came on.
        _mm512_storeu_si512(at, _mm512_mask_or_epi32(colour, _mm512_cmpeq_epi32_mask(colour, alpha), colour, one));
        i += Lanes;
        if (i >= count) break;
        redStates = advancedAvx512(redStates, jump);
        greenStates = advancedAvx512(greenStates, jump);
        blueStates = advancedAvx512(blueStates, jump);
    }
    setGeneratorState(lastLaneAvx512(blueStates));
}

} // namespace mardolin

#endif
