// Brightness and contrast: the scalar kernel that states the arithmetic.
#ifndef MARDOLIN_BRIGHTNESS_CONTRAST_H
#define MARDOLIN_BRIGHTNESS_CONTRAST_H

#include <cstdint>

namespace mardolin {

// One value per colour channel, as the host passed it.
struct ChannelLevels {
    double red;
    double green;
    double blue;
};

// Rewrites count words in place: each value is first limited to -1..1 (NaN
// acts as -1), then every pixel gets the contrast step and then the
// brightness step, and comes out with alpha 255. Host thread; touches only
// words[0 .. count - 1].
void adjustBrightnessAndContrastPixels(uint32_t *words, int32_t count, ChannelLevels contrast,
                                       ChannelLevels brightness);

} // namespace mardolin

#endif
