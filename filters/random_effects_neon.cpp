// The television effects, sixteen pixels a step: the generator runs in
// sixteen lanes (four registers), each a fixed number of draws ahead of the
// one before, the pixels are split into byte planes, and each of the scalar
// kernel's double comparisons is made as the integer comparison it equals
// for every possible draw.
#include "instruction_sets.h"
#include "random_effects.h"
#include "random_generator.h"

#if MARDOLIN_NEON_KERNELS
#include <arm_neon.h>

namespace mardolin {

namespace {

constexpr int Lanes = 16;

struct LaneStates {
    uint32x4_t quarter[4]; // quarter q, lane j: pixel 4q + j
};

// Pixel p's lane holds the state after first + p * spacing draws from state.
LaneStates laneStates(uint32_t state, uint32_t first, uint32_t spacing) {
    const GeneratorJump toFirst = generatorJump(first);
    const GeneratorJump between = generatorJump(spacing);
    alignas(16) uint32_t lanes[Lanes];
    uint32_t lane = state * toFirst.multiplier + toFirst.increment;
    for (int p = 0; p < Lanes; ++p) {
        lanes[p] = lane;
        lane = lane * between.multiplier + between.increment;
    }
    LaneStates states;
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q) states.quarter[q] = vld1q_u32(lanes + 4 * q);
    return states;
}

struct LaneJump {
    uint32x4_t multiplier;
    uint32x4_t increment;
};

LaneJump laneJump(uint32_t steps) {
    const GeneratorJump jump = generatorJump(steps);
    return {vdupq_n_u32(jump.multiplier), vdupq_n_u32(jump.increment)};
}

void advance(LaneStates &states, const LaneJump &jump) {
#pragma GCC unroll 4
    for (uint32x4_t &quarter : states.quarter) quarter = vmlaq_u32(jump.increment, quarter, jump.multiplier);
}

uint32x4_t drawsOf(uint32x4_t states) { return vandq_u32(vshrq_n_u32(states, 16), vdupq_n_u32(32767)); }

// floor(x / 32767) for x below 2^30: (x + (x >> 15) + 1) >> 15.
uint32x4_t quotientBy32767(uint32x4_t x) { return vshrq_n_u32(vaddq_u32(vsraq_n_u32(x, x, 15), vdupq_n_u32(1)), 15); }

// blueOf: a blue byte of 1 reads as 0.
uint8x16_t withBlueRule(uint8x16_t blue) { return vbicq_u8(blue, vceqq_u8(blue, vdupq_n_u8(1))); }

// 299 red + 587 green + 114 blue for four pixels of eight-lane 16-bit planes.
uint32x4_t weightedLow(uint16x8_t red, uint16x8_t green, uint16x8_t blue) {
    uint32x4_t sum = vmull_n_u16(vget_low_u16(red), 299);
    sum = vmlal_n_u16(sum, vget_low_u16(green), 587);
    return vmlal_n_u16(sum, vget_low_u16(blue), 114);
}

uint32x4_t weightedHigh(uint16x8_t red, uint16x8_t green, uint16x8_t blue) {
    uint32x4_t sum = vmull_high_n_u16(red, 299);
    sum = vmlal_high_n_u16(sum, green, 587);
    return vmlal_high_n_u16(sum, blue, 114);
}

// The draws' channel thresholds as bytes: trunc(randomUnit() * 255.0) is
// floor(255 draw / 32767) for every draw, a value 0..255, and the channel
// switches on exactly when it is above that.
uint8x16_t channelThresholds(const LaneStates &states) {
    uint16x4_t narrowed[4];
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q)
        narrowed[q] = vmovn_u32(quotientBy32767(vmulq_n_u32(drawsOf(states.quarter[q]), 255)));
    return vcombine_u8(vmovn_u16(vcombine_u16(narrowed[0], narrowed[1])),
                       vmovn_u16(vcombine_u16(narrowed[2], narrowed[3])));
}

} // namespace

// White where randomUnit() < luminanceOf(word). For every draw that
// comparison is 256000 draw < 32767 weighted, that is weighted >
// floor(256000 draw / 32767) = 7 draw + floor(26631 draw / 32767).
void oldBWTVPixelsNeon(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    LaneStates states = laneStates(generatorState(), 1, 1);
    const LaneJump jump = laneJump(Lanes);
    const uint32x4_t black = vdupq_n_u32(0xFF000001u);
    const uint32x4_t white = vdupq_n_u32(0xFFFFFFFFu);
    for (int32_t i = 0;;) {
        const uint8x16x4_t planes = vld4q_u8(reinterpret_cast<const uint8_t *>(words + i));
        const uint8x16_t blue = withBlueRule(planes.val[0]);
        const uint16x8_t redLow = vmovl_u8(vget_low_u8(planes.val[2])), redHigh = vmovl_high_u8(planes.val[2]);
        const uint16x8_t greenLow = vmovl_u8(vget_low_u8(planes.val[1])), greenHigh = vmovl_high_u8(planes.val[1]);
        const uint16x8_t blueLow = vmovl_u8(vget_low_u8(blue)), blueHigh = vmovl_high_u8(blue);
        const uint32x4_t weighted[4] = {weightedLow(redLow, greenLow, blueLow), weightedHigh(redLow, greenLow, blueLow),
                                        weightedLow(redHigh, greenHigh, blueHigh),
                                        weightedHigh(redHigh, greenHigh, blueHigh)};
        uint32x4x4_t out;
#pragma GCC unroll 4
        for (int q = 0; q < 4; ++q) {
            const uint32x4_t draws = drawsOf(states.quarter[q]);
            const uint32x4_t threshold = vmlaq_n_u32(quotientBy32767(vmulq_n_u32(draws, 26631)), draws, 7);
            out.val[q] = vbslq_u32(vcgtq_u32(weighted[q], threshold), white, black);
        }
        vst1q_u32_x4(words + i, out);
        i += Lanes;
        if (i >= count) break;
        advance(states, jump);
    }
    setGeneratorState(vgetq_lane_u32(states.quarter[3], 3));
}

void oldColorTVPixelsNeon(uint32_t *words, int32_t count) {
    if (count <= 0) return;
    const uint32_t state = generatorState();
    LaneStates redStates = laneStates(state, 1, 3);
    LaneStates greenStates = laneStates(state, 2, 3);
    LaneStates blueStates = laneStates(state, 3, 3);
    const LaneJump jump = laneJump(3 * Lanes);
    for (int32_t i = 0;;) {
        uint8_t *at = reinterpret_cast<uint8_t *>(words + i);
        uint8x16x4_t planes = vld4q_u8(at);
        planes.val[0] = vcgtq_u8(withBlueRule(planes.val[0]), channelThresholds(blueStates));
        planes.val[1] = vcgtq_u8(planes.val[1], channelThresholds(greenStates));
        planes.val[2] = vcgtq_u8(planes.val[2], channelThresholds(redStates));
        planes.val[3] = vdupq_n_u8(255);
        // OpaqueBlack where all three are off: the compare answers 0xFF there.
        const uint8x16_t colour = vorrq_u8(vorrq_u8(planes.val[0], planes.val[1]), planes.val[2]);
        planes.val[0] = vsubq_u8(planes.val[0], vceqzq_u8(colour));
        vst4q_u8(at, planes);
        i += Lanes;
        if (i >= count) break;
        advance(redStates, jump);
        advance(greenStates, jump);
        advance(blueStates, jump);
    }
    setGeneratorState(vgetq_lane_u32(blueStates.quarter[3], 3));
}

} // namespace mardolin

#endif
