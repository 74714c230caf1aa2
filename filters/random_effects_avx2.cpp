// The television effects, eight pixels a step: the generator runs in eight
// lanes, each a fixed number of draws ahead of the one before, and each of
// the scalar kernel's double comparisons is made as the integer comparison
// it equals for every possible draw.
#include "instruction_sets.h"
#include "random_effects.h"
#include "random_generator.h"

#if MARDOLIN_X86_KERNELS
#include "pixel_avx2.h"

namespace mardolin {

namespace {

// Lane j holds the state after first + j * spacing draws from state.
__m256i laneStatesAvx2(uint32_t state, uint32_t first, uint32_t spacing) {
    const GeneratorJump toFirst = generatorJump(first);
    const GeneratorJump between = generatorJump(spacing);
    alignas(32) uint32_t lanes[8];
    uint32_t lane = state * toFirst.multiplier + toFirst.increment;
    for (int j = 0; j < 8; ++j) {
        lanes[j] = lane;
        lane = lane * between.multiplier + between.increment;
    }
    return _mm256_load_si256(reinterpret_cast<const __m256i *>(lanes));
}

struct LaneJump {
    __m256i multiplier;
    __m256i increment;
};

LaneJump laneJumpAvx2(uint32_t steps) {
    const GeneratorJump jump = generatorJump(steps);
    return {_mm256_set1_epi32(static_cast<int32_t>(jump.multiplier)),
            _mm256_set1_epi32(static_cast<int32_t>(jump.increment))};
}

__m256i advancedAvx2(__m256i states, const LaneJump &jump) {
    return _mm256_add_epi32(_mm256_mullo_epi32(states, jump.multiplier), jump.increment);
}

__m256i drawsOfAvx2(__m256i states) {
    return _mm256_and_si256(_mm256_srli_epi32(states, 16), _mm256_set1_epi32(32767));
}

uint32_t lastLaneAvx2(__m256i states) { return static_cast<uint32_t>(_mm256_extract_epi32(states, 7)); }

// 299 red + 587 green + 114 blue per word, blue by blueOf: the words as
// 16-bit pairs (blue, red) and (green, 0) against (114, 299) and (587, 0).
__m256i weightedSumsAvx2(__m256i words) {
    words = withBlueRuleAvx2(words);
    const __m256i blueRed = _mm256_and_si256(words, _mm256_set1_epi32(0x00FF00FF));
    const __m256i green = _mm256_and_si256(_mm256_srli_epi32(words, 8), _mm256_set1_epi32(255));
    return _mm256_add_epi32(_mm256_madd_epi16(blueRed, _mm256_set1_epi32(299 << 16 | 114)),
                            _mm256_madd_epi16(green, _mm256_set1_epi32(587)));
}

// All ones where randomUnit() < luminanceOf(word). For every draw that
// comparison is 256000 draw < 32767 weighted, that is weighted >
// floor(256000 draw / 32767) = 7 draw + floor(26631 draw / 32767); below
// 2^30, floor(x / 32767) is (x + (x >> 15) + 1) >> 15.
__m256i whiteMasksAvx2(__m256i draws, __m256i weightedSums) {
    const __m256i part = _mm256_mullo_epi32(draws, _mm256_set1_epi32(26631));
    const __m256i partQuotient = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(part, _mm256_srli_epi32(part, 15)), _mm256_set1_epi32(1)), 15);
    const __m256i sevenDraws = _mm256_sub_epi32(_mm256_slli_epi32(draws, 3), draws);
    return _mm256_cmpgt_epi32(weightedSums, _mm256_add_epi32(sevenDraws, partQuotient));
}

// All ones where trunc(randomUnit() * 255.0) < channel. That truncation
// is floor(255 draw / 32767) for every draw, so the test is
// 255 draw < 32767 channel, in integers below 2^23.
__m256i switchedOnAvx2(__m256i draws, __m256i channel) {
    const __m256i drawSide = _mm256_sub_epi32(_mm256_slli_epi32(draws, 8), draws);
    const __m256i channelSide = _mm256_sub_epi32(_mm256_slli_epi32(channel, 15), channel);
    return _mm256_cmpgt_epi32(channelSide, drawSide);
}

} // namespace

void oldBWTVPixelsAvx2(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    __m256i states = laneStatesAvx2(generatorState(), 1, 1);
    const LaneJump jump = laneJumpAvx2(8);
    const __m256i black = _mm256_set1_epi32(static_cast<int32_t>(0xFF000001u));
    const __m256i whiteBits = _mm256_set1_epi32(0x00FFFFFE);
    for (int32_t i = 0;;) {
        __m256i *at = reinterpret_cast<__m256i *>(words + i);
        const __m256i white = whiteMasksAvx2(drawsOfAvx2(states), weightedSumsAvx2(_mm256_loadu_si256(at)));
        _mm256_storeu_si256(at, _mm256_or_si256(black, _mm256_and_si256(white, whiteBits)));
        i += 8;
        if (i >= count) break;
        states = advancedAvx2(states, jump);
    }
    setGeneratorState(lastLaneAvx2(states));
}

void oldColorTVPixelsAvx2(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    const uint32_t state = generatorState();
    __m256i redStates = laneStatesAvx2(state, 1, 3);
    __m256i greenStates = laneStatesAvx2(state, 2, 3);
    __m256i blueStates = laneStatesAvx2(state, 3, 3);
    const LaneJump jump = laneJumpAvx2(24);
    const __m256i channelMask = _mm256_set1_epi32(255);
    for (int32_t i = 0;;) {
        __m256i *at = reinterpret_cast<__m256i *>(words + i);
        const __m256i pixels = withBlueRuleAvx2(_mm256_loadu_si256(at));
        const __m256i red =
            switchedOnAvx2(drawsOfAvx2(redStates), _mm256_and_si256(_mm256_srli_epi32(pixels, 16), channelMask));
        const __m256i green =
            switchedOnAvx2(drawsOfAvx2(greenStates), _mm256_and_si256(_mm256_srli_epi32(pixels, 8), channelMask));
        const __m256i blue = switchedOnAvx2(drawsOfAvx2(blueStates), _mm256_and_si256(pixels, channelMask));
        const __m256i colour = _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(red, _mm256_set1_epi32(0x00FF0000)),
                                                               _mm256_and_si256(green, _mm256_set1_epi32(0x0000FF00))),
                                               _mm256_and_si256(blue, channelMask));
        _mm256_storeu_si256(
            at, withOpaqueBlackRuleAvx2(_mm256_or_si256(colour, _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u)))));
        i += 8;
        if (i >= count) break;
        redStates = advancedAvx2(redStates, jump);
        greenStates = advancedAvx2(greenStates, jump);
        blueStates = advancedAvx2(blueStates, jump);
    }
    setGeneratorState(lastLaneAvx2(blueStates));
}

} // namespace mardolin

#endif
