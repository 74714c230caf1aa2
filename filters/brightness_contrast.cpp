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

// The channel value the contrast step writes, before it is packed.
int32_t contrastedChannel(int32_t channel, double contrast) {
    return truncateToWord(contrastedUnit(channel * UnitPerChannelStep, contrast) * 255 + 0.5);
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

// Packing the contrasted channels and reading them back changes nothing but
// blue: a packed blue of 1, or the OpaqueBlack written for all three 0,
// reads back as blue 0 (blueOf), which is what blueOf of the blue value alone
// gives. The brightness step's final packing is left to the caller.
void fillChannelTables(ChannelTables &tables, ChannelLevels contrast, ChannelLevels brightness) {
    const ChannelLevels c = limitLevels(contrast);
    const ChannelLevels b = limitLevels(brightness);
    for (int32_t value = 0; value < 256; ++value) {
        const uint32_t word = static_cast<uint32_t>(value);
        tables.red[value] = static_cast<uint32_t>(brightenedChannel(contrastedChannel(value, c.red), b.red)) << 16;
        tables.green[value] = static_cast<uint32_t>(brightenedChannel(contrastedChannel(value, c.green), b.green)) << 8;
        const int32_t contrastedBlue = blueOf(static_cast<uint32_t>(contrastedChannel(blueOf(word), c.blue)));
        tables.blue[value] = static_cast<uint32_t>(brightenedChannel(contrastedBlue, b.blue));
    }
}

void adjustPixelsWithTables(uint32_t *words, int32_t count, const ChannelTables &tables) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t pixel = words[i];
        const uint32_t adjusted = 0xFF000000u | tables.red[(pixel >> 16) & 255u] | tables.green[(pixel >> 8) & 255u] |
                                  tables.blue[pixel & 255u];
        words[i] = adjusted == 0xFF000000u ? OpaqueBlack : adjusted;
    }
}

void adjustBrightnessAndContrastPixels(uint32_t *words, int32_t count, ChannelLevels contrast,
                                       ChannelLevels brightness) {
    const ChannelLevels limitedContrast = limitLevels(contrast);
    const ChannelLevels limitedBrightness = limitLevels(brightness);
    for (int32_t i = 0; i < count; ++i)
        words[i] = applyBrightness(applyContrast(words[i], limitedContrast), limitedBrightness);
}

} // namespace mardolin
