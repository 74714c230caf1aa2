#include "brightness_contrast.h"

#include "pixel.h"

#include <algorithm>

namespace mardolin {

namespace {

double limitLevel(double value) {
    if (value >= 1.0) return 1.0;
    if (value >= -1.0) return value;
    return -1.0; // below -1 or NaN
}

ChannelLevels limitLevels(ChannelLevels levels) {
    return {limitLevel(levels.red), limitLevel(levels.green), limitLevel(levels.blue)};
}

// Stretches a unit channel away from (or toward) the middle grey by k.
double contrastedUnit(double unit, double contrast) {
    const double k = (contrast + 1) * (contrast + 1);
    const double value = (unit - 0.5) * k + 0.5;
    if (!(value >= 0.0)) return 0.0; // negative or NaN
    if (value >= 1.0) return 1.0;
    return value;
}

uint32_t applyContrast(uint32_t pixel, ChannelLevels contrast) {
    return packUnitPixel(contrastedUnit(redUnitOf(pixel), contrast.red),
                         contrastedUnit(greenUnitOf(pixel), contrast.green),
                         contrastedUnit(blueUnitOf(pixel), contrast.blue), 1.0);
}

int32_t brightenedChannel(int32_t channel, double brightness) {
    return std::clamp(channel + truncateToWord(brightness * 256), 0, 255);
}

uint32_t applyBrightness(uint32_t pixel, ChannelLevels brightness) {
    return packPixel(brightenedChannel(redOf(pixel), brightness.red),
                     brightenedChannel(greenOf(pixel), brightness.green),
                     brightenedChannel(blueOf(pixel), brightness.blue), 255);
}

} // namespace

void adjustBrightnessAndContrastPixels(uint32_t *words, int32_t count, ChannelLevels contrast,
                                       ChannelLevels brightness) {
    const ChannelLevels limitedContrast = limitLevels(contrast);
    const ChannelLevels limitedBrightness = limitLevels(brightness);
    for (int32_t i = 0; i < count; ++i)
        words[i] = applyBrightness(applyContrast(words[i], limitedContrast), limitedBrightness);
}

} // namespace mardolin
