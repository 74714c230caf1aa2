#include "convolution.h"

#include "pixel.h"

#include <algorithm>
#include <cstring>

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

int32_t scaledChannel(float sum, double divisor, double bias) {
    return truncateToWord((static_cast<double>(sum) + bias) / divisor);
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
void convolve(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
              const uint32_t *kernelWords, double divisor, double bias) {
    // A picture with no rows has no pixels, however many columns it claims.
    if (width <= 0 || height <= 0) return;
    constexpr int count = Size * Size;
    float weights[count];
    std::memcpy(weights, kernelWords, sizeof weights);
    uint32_t neighbours[count];
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            gatherNeighbourhood<Size>(neighbours, sourceWords, x, y, width, height);
            destinationWords[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                convolvedPixel<count>(neighbours, weights, divisor, bias);
        }
    }
}

} // namespace

void convolve3X3(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                 const uint32_t *kernelWords, double divisor, double bias) {
    convolve<3>(sourceWords, destinationWords, width, height, kernelWords, divisor, bias);
}

void convolve5X5(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                 const uint32_t *kernelWords, double divisor, double bias) {
    convolve<5>(sourceWords, destinationWords, width, height, kernelWords, divisor, bias);
}

} // namespace mardolin
