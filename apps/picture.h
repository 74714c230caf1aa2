// A picture in the host's pixel words, the form every demo unit shares.
#ifndef APPS_PICTURE_H
#define APPS_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace demo {

// Pixel words: alpha << 24 | red << 16 | green << 8 | blue, row after row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Picture() = default;
    Picture(int width, int height, uint32_t fill = 0)
        : width(width), height(height), pixels(size_t(width) * size_t(height), fill) {}

    uint32_t &at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

constexpr uint32_t pixelWord(int red, int green, int blue, int alpha = 255) {
    return uint32_t(alpha) << 24 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}
constexpr int alphaOf(uint32_t pixel) { return int(pixel >> 24); }
constexpr int redOf(uint32_t pixel) { return int(pixel >> 16 & 255); }
constexpr int greenOf(uint32_t pixel) { return int(pixel >> 8 & 255); }
constexpr int blueOf(uint32_t pixel) { return int(pixel & 255); }

// Reduces a picture by area averaging until it fits maxWidth x maxHeight,
// keeping its proportions; a picture that already fits is answered as is.
Picture shrinkToFit(const Picture &picture, int maxWidth, int maxHeight);

} // namespace demo

#endif
