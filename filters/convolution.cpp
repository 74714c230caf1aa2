#include "convolution.h"

#include "pixel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace mardolin {

namespace {

// Fills neighbours with the Size x Size source pixels around (x, y) in
// kernel order: the top row first, within a row the leftmost first.
template <int Size>
void gatherNeighbourhood(uint32_t *neighbours, const uint32_t *sourceWords, int32_t x, int32_t y, int32_t width,
                         int32_t height) {
    constexpr int32_t reach = (Size - 1) / 2;
    int k = 0;
    for (int32_t dy = -reach; dy <= reach; ++dy) {
        const int32_t row = std::min(std::max(y + dy, 0), height - 1);
        const uint32_t *rowWords = sourceWords + static_cast<size_t>(row) * static_cast<size_t>(width);
        for (int32_t dx = -reach; dx <= reach; ++dx)
            neighbours[k++] = rowWords[std::min(std::max(x + dx, 0), width - 1)];
    }
}

// The weighted sum of one channel, held in single precision: each step is
// done in double and rounded to float. It starts with element 1 and takes
// element 0 second; since every step rounds, that order is part of the result.
template <int Count> float weightedChannelSum(const int32_t *channel, const float *weights) {
    float sum = static_cast<float>(static_cast<double>(channel[1]) * weights[1]);
    sum = static_cast<float>(static_cast<double>(channel[0]) * weights[0] + sum);
    for (int k = 2; k < Count; ++k) sum = static_cast<float>(static_cast<double>(channel[k]) * weights[k] + sum);
    return sum;
}

template <int Count>
uint32_t convolvedPixel(const uint32_t *neighbours, const float *weights, double divisor, double bias) {
    int32_t red[Count], green[Count], blue[Count];
    for (int k = 0; k < Count; ++k) {
        red[k] = redOf(neighbours[k]);
        green[k] = greenOf(neighbours[k]);
        blue[k] = blueOf(neighbours[k]);
    }
    const int32_t r = scaledChannel(weightedChannelSum<Count>(red, weights), divisor, bias);
    const int32_t g = scaledChannel(weightedChannelSum<Count>(green, weights), divisor, bias);
    const int32_t b = scaledChannel(weightedChannelSum<Count>(blue, weights), divisor, bias);
    if (r <= 0 && g <= 0 && b <= 0) return OpaqueBlack;
    return packPixel(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255), 255);
}

template <int Size>
void convolveColumns(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                     const uint32_t *kernelWords, double divisor, double bias, int32_t firstColumn) {
    // A picture with no rows has no pixels, however many columns it claims.
    if (width <= 0 || height <= 0) return;
    constexpr int count = Size * Size;
    float weights[count];
    std::memcpy(weights, kernelWords, sizeof weights);
    uint32_t neighbours[count];
    for (int32_t x = firstColumn; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            gatherNeighbourhood<Size>(neighbours, sourceWords, x, y, width, height);
            destinationWords[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                convolvedPixel<count>(neighbours, weights, divisor, bias);
        }
    }
}

} // namespace

int32_t scaledChannel(float sum, double divisor, double bias) {
    return truncateToWord((static_cast<double>(sum) + bias) / divisor);
}

void convolve3X3(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                 const uint32_t *kernelWords, double divisor, double bias) {
    convolveColumns<3>(sourceWords, destinationWords, width, height, kernelWords, divisor, bias, 0);
}

void convolve5X5(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                 const uint32_t *kernelWords, double divisor, double bias) {
    convolveColumns<5>(sourceWords, destinationWords, width, height, kernelWords, divisor, bias, 0);
}

void convolveColumnsFrom(int32_t size, int32_t firstColumn, const uint32_t *sourceWords, uint32_t *destinationWords,
                         int32_t width, int32_t height, const uint32_t *kernelWords, double divisor, double bias) {
    if (size == 3)
        convolveColumns<3>(sourceWords, destinationWords, width, height, kernelWords, divisor, bias, firstColumn);
    else
        convolveColumns<5>(sourceWords, destinationWords, width, height, kernelWords, divisor, bias, firstColumn);
}

// Every product is a multiple of 2^L, and so is every partial sum, rounded
// or not. A step's exact sum is at most 255 x sum|K| grown by the roundings
// before it: 24 of at most 2^-24 each, well inside the margin of 2^-18,
// which also covers the rounding of the sum of magnitudes in double.
bool fusedSumsAreExact(const float *weights, int32_t count) {
    double magnitudes = 0;
    int32_t lowestBit = std::numeric_limits<int32_t>::max();
    for (int32_t k = 0; k < count; ++k) {
        const double weight = std::fabs(static_cast<double>(weights[k]));
        if (!std::isfinite(weight)) return false;
        if (weight == 0) continue;
        magnitudes += weight;
        const int32_t exponent = std::ilogb(weight);
        const auto significand = static_cast<uint64_t>(std::ldexp(weight, 52 - exponent));
        lowestBit = std::min(lowestBit, exponent - 52 + __builtin_ctzll(significand));
    }
    if (magnitudes == 0) return true;
    return 255.0 * magnitudes * (1.0 + 0x1p-18) < std::ldexp(1.0, lowestBit + 53);
}

// Every product and partial sum is then a multiple of 2^-shift below 2^14 in
// magnitude: single precision holds each exactly, so no step rounds and the
// sum is the integer sum times 2^-shift, whatever the order.
bool smallIntegerWeightsOf(const float *weights, int32_t count, SmallIntegerWeights &integer) {
    for (int32_t shift = 0; shift <= SmallIntegerWeights::LargestShift; ++shift) {
        int32_t magnitudes = 0;
        bool fits = true;
        for (int32_t k = 0; k < count && fits; ++k) {
            const double scaled = std::ldexp(static_cast<double>(weights[k]), shift);
            fits = std::fabs(scaled) <= SmallIntegerWeights::LargestWeight && scaled == std::trunc(scaled);
            if (fits) {
                integer.scaled[k] = static_cast<int32_t>(scaled);
                magnitudes += std::abs(integer.scaled[k]);
            }
        }
        if (!fits) continue;
        if (magnitudes > SmallIntegerWeights::LargestMagnitudes) return false;
        integer.count = count;
        integer.shift = shift;
        integer.lowestSum = 0;
        for (int32_t k = 0; k < count; ++k) integer.lowestSum += 255 * std::min(integer.scaled[k], 0);
        integer.sumCount = 255 * magnitudes + 1;
        return true;
    }
    return false;
}

// The scalar kernel's own last steps on the exact single-precision sum.
void fillChannelValues(const SmallIntegerWeights &integer, double divisor, double bias, uint8_t *values) {
    for (int32_t i = 0; i < integer.sumCount; ++i) {
        const float sum = static_cast<float>(std::ldexp(static_cast<double>(integer.lowestSum + i), -integer.shift));
        values[i] = static_cast<uint8_t>(std::clamp(scaledChannel(sum, divisor, bias), 0, 255));
    }
}

} // namespace mardolin
