// The television effects, four pixels a step: the generator runs in four
// lanes, each a fixed number of draws ahead of the one before, and each of
// the scalar kernel's double comparisons is made as the integer comparison
// it equals for every possible draw.
#include "instruction_sets.h"
#include "random_effects.h"
#include "random_generator.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_sse2.h"

namespace mardolin {

namespace {

// Lane j holds the state after first + j * spacing draws from state.
__m128i laneStatesSse2(uint32_t state, uint32_t first, uint32_t spacing) {
    const GeneratorJump toFirst = generatorJump(first);
    const GeneratorJump between = generatorJump(spacing);
    alignas(16) uint32_t lanes[4];
    uint32_t lane = state * toFirst.multiplier + toFirst.increment;
    for (int j = 0; j < 4; ++j) {
        lanes[j] = lane;
        lane = lane * between.multiplier + between.increment;
    }
    return _mm_load_si128(reinterpret_cast<const __m128i *>(lanes));
}

struct LaneJump {
    __m128i multiplier;
    __m128i increment;
};

LaneJump laneJumpSse2(uint32_t steps) {
    const GeneratorJump jump = generatorJump(steps);
    return {_mm_set1_epi32(static_cast<int32_t>(jump.multiplier)),
            _mm_set1_epi32(static_cast<int32_t>(jump.increment))};
}

__m128i advancedSse2(__m128i states, const LaneJump &jump) {
    return _mm_add_epi32(multiplyLow32Sse2(states, jump.multiplier), jump.increment);
}

__m128i drawsOfSse2(__m128i states) { return _mm_and_si128(_mm_srli_epi32(states, 16), _mm_set1_epi32(32767)); }

uint32_t lastLaneSse2(__m128i states) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_shuffle_epi32(states, _MM_SHUFFLE(3, 3, 3, 3))));
}

// 299 red + 587 green + 114 blue per word, blue by blueOf: the words as
// 16-bit pairs (blue, red) and (green, 0) against (114, 299) and (587, 0).
__m128i weightedSumsSse2(__m128i words) {
    words = withBlueRuleSse2(words);
    const __m128i blueRed = _mm_and_si128(words, _mm_set1_epi32(0x00FF00FF));
    const __m128i green = _mm_and_si128(_mm_srli_epi32(words, 8), _mm_set1_epi32(255));
    return _mm_add_epi32(_mm_madd_epi16(blueRed, _mm_set1_epi32(299 << 16 | 114)),
                         _mm_madd_epi16(green, _mm_set1_epi32(587)));
}

// All ones where randomUnit() < luminanceOf(word). For every draw that
// comparison is 256000 draw < 32767 weighted, that is weighted >
// floor(256000 draw / 32767) = 7 draw + floor(26631 draw / 32767); below
// 2^30, floor(x / 32767) is (x + (x >> 15) + 1) >> 15.
__m128i whiteMasksSse2(__m128i draws, __m128i weightedSums) {
    const __m128i part = multiplyLow32Sse2(draws, _mm_set1_epi32(26631));
    const __m128i partQuotient =
        _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(part, _mm_srli_epi32(part, 15)), _mm_set1_epi32(1)), 15);
    const __m128i sevenDraws = _mm_sub_epi32(_mm_slli_epi32(draws, 3), draws);
    return _mm_cmpgt_epi32(weightedSums, _mm_add_epi32(sevenDraws, partQuotient));
}

// All ones where trunc(randomUnit() * 255.0) < channel. That truncation
// is floor(255 draw / 32767) for every draw, so the test is
// 255 draw < 32767 channel, in integers below 2^23.
__m128i switchedOnSse2(__m128i draws, __m128i channel) {
    const __m128i drawSide = _mm_sub_epi32(_mm_slli_epi32(draws, 8), draws);
    const __m128i channelSide = _mm_sub_epi32(_mm_slli_epi32(channel, 15), channel);
    return _mm_cmpgt_epi32(channelSide, drawSide);
}

} // namespace

void oldBWTVPixelsSse2(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    __m128i states = laneStatesSse2(generatorState(), 1, 1);
    const LaneJump jump = laneJumpSse2(4);
    const __m128i black = _mm_set1_epi32(static_cast<int32_t>(0xFF000001u));
    const __m128i whiteBits = _mm_set1_epi32(0x00FFFFFE);
    for (int32_t i = 0;;) {
        __m128i *at = reinterpret_cast<__m128i *>(words + i);
        const __m128i white = whiteMasksSse2(drawsOfSse2(states), weightedSumsSse2(_mm_loadu_si128(at)));
        _mm_storeu_si128(at, _mm_or_si128(black, _mm_and_si128(white, whiteBits)));
        i += 4;
        if (i >= count) break;
        states = advancedSse2(states, jump);
    }
    setGeneratorState(lastLaneSse2(states));
}

void oldColorTVPixelsSse2(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    const uint32_t state = generatorState();
    __m128i redStates = laneStatesSse2(state, 1, 3);
    __m128i greenStates = laneStatesSse2(state, 2, 3);
    __m128i blueStates = laneStatesSse2(state, 3, 3);
    const LaneJump jump = laneJumpSse2(12);
    const __m128i channelMask = _mm_set1_epi32(255);
    for (int32_t i = 0;;) {
        __m128i *at = reinterpret_cast<__m128i *>(words + i);
        const __m128i pixels = withBlueRuleSse2(_mm_loadu_si128(at));
        const __m128i red =
            switchedOnSse2(drawsOfSse2(redStates), _mm_and_si128(_mm_srli_epi32(pixels, 16), channelMask));
        const __m128i green =
            switchedOnSse2(drawsOfSse2(greenStates), _mm_and_si128(_mm_srli_epi32(pixels, 8), channelMask));
        const __m128i blue = switchedOnSse2(drawsOfSse2(blueStates), _mm_and_si128(pixels, channelMask));
        const __m128i colour = _mm_or_si128(_mm_or_si128(_mm_and_si128(red, _mm_set1_epi32(0x00FF0000)),
                                                         _mm_and_si128(green, _mm_set1_epi32(0x0000FF00))),
                                            _mm_and_si128(blue, channelMask));
        _mm_storeu_si128(
            at, withOpaqueBlackRuleSse2(_mm_or_si128(colour, _mm_set1_epi32(static_cast<int32_t>(0xFF000000u)))));
        i += 4;
        if (i >= count) break;
        redStates = advancedSse2(redStates, jump);
        greenStates = advancedSse2(greenStates, jump);
        blueStates = advancedSse2(blueStates, jump);
    }
    setGeneratorState(lastLaneSse2(blueStates));
}

} // namespace mardolin

#endif
