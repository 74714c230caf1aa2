#include "brightness_contrast.h"

#include "pixel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

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

// Arithmetic right shift: the fitted lines rely on it rounding down.
int32_t contrastedByLine(const ChannelLine &line, int32_t channel) {
    return std::clamp((line.slope * channel + line.intercept) >> ChannelLineShift, 0, 255);
}

int32_t brightenedByLine(const ChannelLine &line, int32_t contrasted) {
    return std::clamp(contrasted + line.brightness, 0, 255);
}

// The lines' blue reads the raw byte with blueOf, and a contrasted blue of 1
// reads as 0 before the brightness step, as the packed word does.
int32_t blueByLine(const ChannelLine &line, uint32_t pixel) {
    const int32_t contrasted = contrastedByLine(line, blueOf(pixel));
    return brightenedByLine(line, contrasted == 1 ? 0 : contrasted);
}

constexpr int64_t LineUnit = int64_t(1) << ChannelLineShift;

// The intercepts a slope leaves for the contrasted values: every channel's
// value must fall on its own step, with everything below 0 allowed for a 0
// and everything from 255 up for a 255. Answers whether one is left.
bool interceptFor(int64_t slope, const int32_t *contrasted, int64_t &intercept) {
    int64_t lowest = std::numeric_limits<int64_t>::min(), beyond = std::numeric_limits<int64_t>::max();
    for (int32_t c = 0; c < 256; ++c) {
        const int32_t value = contrasted[c];
        if (value > 0) lowest = std::max(lowest, value * LineUnit - slope * c);
        if (value < 255) beyond = std::min(beyond, (value + 1) * LineUnit - slope * c);
    }
    if (lowest >= beyond) return false;
    if (lowest == std::numeric_limits<int64_t>::min()) intercept = beyond - 1;
    else if (beyond == std::numeric_limits<int64_t>::max()) intercept = lowest;
    else intercept = lowest + (beyond - lowest) / 2;
    return true;
}

// The contrast step's exact value is (c / 256 - 0.5) * k + 0.5 scaled by 255
// and rounded, a line of slope k * 255 / 256; the doubles' roundings move
// it by far less than a step, so a slope within a few units of that one
// fits unless some value lies right at a step.
bool fitLine(ChannelLine &line, double contrast, double brightness) {
    int32_t contrasted[256];
    for (int32_t c = 0; c < 256; ++c) contrasted[c] = contrastedChannel(c, contrast);
    const double k = (contrast + 1) * (contrast + 1);
    const int64_t nearest = std::llround(k * 255 / 256 * static_cast<double>(LineUnit));
    for (int64_t offset : {0, -1, 1, -2, 2}) {
        const int64_t slope = nearest + offset;
        int64_t intercept;
        if (slope < 0 || !interceptFor(slope, contrasted, intercept)) continue;
        if (slope * 255 + std::llabs(intercept) > std::numeric_limits<int32_t>::max()) continue;
        line = {static_cast<int32_t>(slope), static_cast<int32_t>(intercept), truncateToWord(brightness * 256)};
        return true;
    }
    return false;
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

// A line is kept only if it gives every entry of the tables, so the lines
// can stand in for them word for word.
bool fitChannelLines(ChannelLines &lines, const ChannelTables &tables, ChannelLevels contrast,
                     ChannelLevels brightness) {
    const ChannelLevels c = limitLevels(contrast);
    const ChannelLevels b = limitLevels(brightness);
    if (!fitLine(lines.red, c.red, b.red) || !fitLine(lines.green, c.green, b.green) ||
        !fitLine(lines.blue, c.blue, b.blue))
        return false;
    for (int32_t value = 0; value < 256; ++value) {
        const uint32_t word = static_cast<uint32_t>(value);
        if (static_cast<uint32_t>(brightenedByLine(lines.red, contrastedByLine(lines.red, value))) << 16 !=
                tables.red[value] ||
            static_cast<uint32_t>(brightenedByLine(lines.green, contrastedByLine(lines.green, value))) << 8 !=
                tables.green[value] ||
            static_cast<uint32_t>(blueByLine(lines.blue, word)) != tables.blue[value])
            return false;
    }
    return true;
}

void adjustPixelsWithLines(uint32_t *words, int32_t count, const ChannelLines &lines) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t pixel = words[i];
        const int32_t red = brightenedByLine(lines.red, contrastedByLine(lines.red, redOf(pixel)));
        const int32_t green = brightenedByLine(lines.green, contrastedByLine(lines.green, greenOf(pixel)));
        words[i] = packPixel(red, green, blueByLine(lines.blue, pixel), 255);
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
