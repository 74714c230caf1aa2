#include "random_effects.h"

#include "pixel.h"
#include "random_generator.h"

namespace mardolin {

namespace {

int32_t switchedChannel(int32_t channel) { return truncateToWord(randomUnit() * 255.0) < channel ? 255 : 0; }

} // namespace

void meltPixels(uint32_t *words, int32_t width, int32_t height, double amount) {
    const int32_t attempts = truncateToWord(static_cast<double>(width) * amount * static_cast<double>(height));
    // One row gives a range of -1, which would index outside the bitmap.
    if (attempts < 1 || height < 2) return;
    const double range = static_cast<double>((height - 1) * width - 1);
    for (int32_t attempt = 0; attempt < attempts; ++attempt) {
        const int32_t upper = truncateToWord(randomUnit() * range);
        const int32_t lower = upper + width;
        const uint32_t upperPixel = words[upper];
        const uint32_t lowerPixel = words[lower];
        if (luminanceOf(lowerPixel) < luminanceOf(upperPixel)) {
            words[upper] = lowerPixel;
            words[lower] = upperPixel;
        }
    }
}

void oldBWTVPixels(uint32_t *words, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const double luminance = luminanceOf(words[i]);
        words[i] = randomUnit() < luminance ? OpaqueWhite : OpaqueBlack;
    }
}

void oldColorTVPixels(uint32_t *words, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t pixel = words[i];
        const int32_t red = switchedChannel(redOf(pixel));
        const int32_t green = switchedChannel(greenOf(pixel));
        const int32_t blue = switchedChannel(blueOf(pixel));
        words[i] = packPixel(red, green, blue, 255);
    }
}

} // namespace mardolin
