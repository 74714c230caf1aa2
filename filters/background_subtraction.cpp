#include "background_subtraction.h"

#include "pixel.h"

#include <cstdlib>

namespace mardolin {

namespace {

// 0 for equal colours up to 0.99609375; alpha takes no part. A product with
// the double nearest 1/768, not a division.
double pixelDistance(uint32_t a, uint32_t b) {
    const int32_t sum =
        std::abs(redOf(a) - redOf(b)) + std::abs(greenOf(a) - greenOf(b)) + std::abs(blueOf(a) - blueOf(b));
    return sum * 0.0013020833333333333;
}

} // namespace

void subtractBackgroundPixels(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                              double threshold) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t framePixel = frame[i];
        const uint32_t backgroundPixel = background[i];
        output[i] = pixelDistance(backgroundPixel, framePixel) > threshold ? framePixel : 0u;
    }
}

} // namespace mardolin
