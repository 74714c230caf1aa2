// The small-integer convolution's values in fixed point: the form the row
// kernels compute in 16-bit lanes, and the search for one that gives a
// plan's whole table.
#include "convolution_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace mardolin {

namespace {

constexpr int64_t ProductUnit = int64_t(1) << 16;
constexpr int64_t LargestLane = std::numeric_limits<int16_t>::max();
constexpr int64_t SmallestLane = std::numeric_limits<int16_t>::min();

// The smallest x whose value floor(x * step / unit) reaches t, for step > 0.
int64_t firstReaching(int64_t t, int64_t step, int64_t unit) {
    const int64_t numerator = t * unit;
    const int64_t quotient = numerator / step;
    return quotient * step < numerator ? quotient + 1 : quotient;
}

// The offsets that put every sum on its value's step, for one shift, factor
// and drop; answers whether the one nearest the centre of the sums keeps
// every lane inside 16 bits.
bool offsetFor(const IntegerRowPlan &plan, int16_t shift, int16_t factor, int16_t drop, int16_t &offset) {
    const int64_t step = int64_t(factor) << shift, unit = ProductUnit << drop;
    int64_t lowest = std::numeric_limits<int64_t>::min(), highest = std::numeric_limits<int64_t>::max();
    for (int32_t i = 0; i < plan.sumCount; ++i) {
        const int64_t sum = plan.lowestSum + i, value = plan.values[i];
        if (value > 0) lowest = std::max(lowest, firstReaching(value, step, unit) - sum);
        if (value < 255) highest = std::min(highest, firstReaching(value + 1, step, unit) - 1 - sum);
    }
    if (lowest > highest) return false;
    const int64_t firstSum = plan.lowestSum, lastSum = int64_t(plan.lowestSum) + plan.sumCount - 1;
    const int64_t centred = std::clamp(-(firstSum + lastSum) / 2, lowest, highest);
    if (centred < SmallestLane || centred > LargestLane ||
        (firstSum + centred) * (int64_t(1) << shift) < SmallestLane ||
        (lastSum + centred) * (int64_t(1) << shift) > LargestLane)
        return false;
    offset = static_cast<int16_t>(centred);
    return true;
}

} // namespace

int32_t fixedPointValue(const IntegerRowPlan &plan, int32_t sum) {
    const int32_t lane = (sum + plan.fixedOffset) * (1 << plan.fixedShift);
    return std::clamp((lane * plan.fixedFactor) >> (16 + plan.fixedDrop), 0, 255);
}

// The factor is the scale in units of 2^-(16 + drop), as large as 16 bits
// allow for the most precision: a scale below 1/2 drops bits after the
// product, one of 1/2 or more shifts the sum up before it.
void fitFixedPointValues(IntegerRowPlan &plan, double scale) {
    if (!(scale > 0) || !std::isfinite(scale)) return;
    int16_t shift = 0, drop = 0;
    while (shift < 14 && std::ldexp(scale, 16 - shift) > double(LargestLane)) ++shift;
    while (drop < 15 && std::ldexp(scale, 17 + drop) <= double(LargestLane)) ++drop;
    const double nearest = std::round(std::ldexp(scale, 16 + drop - shift));
    for (double tryFactor : {nearest, nearest + 1, nearest - 1}) {
        if (tryFactor < 1 || tryFactor > double(LargestLane)) continue;
        const auto factor = static_cast<int16_t>(tryFactor);
        int16_t offset;
        if (!offsetFor(plan, shift, factor, drop, offset)) continue;
        IntegerRowPlan fitted = plan;
        fitted.fixedOffset = offset;
        fitted.fixedShift = shift;
        fitted.fixedFactor = factor;
        fitted.fixedDrop = drop;
        bool matches = true;
        for (int32_t i = 0; i < plan.sumCount && matches; ++i)
            matches = fixedPointValue(fitted, plan.lowestSum + i) == plan.values[i];
        if (!matches) continue;
        plan = fitted;
        plan.fixedPoint = true;
        return;
    }
}

} // namespace mardolin
