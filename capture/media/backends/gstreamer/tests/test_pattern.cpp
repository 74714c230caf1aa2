#include "test_pattern.h"

#include <cstdlib>
#include <sstream>

namespace livetest {
namespace {

struct Rgb {
    int red, green, blue;
};

Rgb rgbOf(const virtualcamera::Bar &bar) { return {bar.red, bar.green, bar.blue}; }

// The capture's pixel at (x, y), widened back to 8 bits a channel for
// depth 16.
Rgb capturedAt(const std::vector<uint32_t> &words, int width, int x, int y, int depth) {
    if (depth == 32) {
        uint32_t word = words.at(size_t(y) * size_t(width) + size_t(x));
        return {int(word >> 16 & 255), int(word >> 8 & 255), int(word & 255)};
    }
    size_t wordsPerRow = (size_t(width) + 1) / 2;
    uint32_t word = words.at(size_t(y) * wordsPerRow + size_t(x) / 2);
    uint32_t pixel = x % 2 == 0 ? word >> 16 : word & 0xFFFF;
    return {int(pixel >> 10 & 31) << 3, int(pixel >> 5 & 31) << 3, int(pixel & 31) << 3};
}

bool near(int a, int b, int tolerance) { return std::abs(a - b) <= tolerance; }

} // namespace

int barCentre(int bar, int width) { return (2 * bar + 1) * width / (2 * virtualcamera::kBarCount); }

std::string barsMismatch(const std::vector<uint32_t> &words, int width, int height, int depth, int tolerance) {
    std::ostringstream differences;
    const int y = barRow(height);
    for (int bar = 0; bar < virtualcamera::kBarCount; ++bar) {
        const int x = barCentre(bar, width);
        Rgb expected = rgbOf(virtualcamera::kBars[bar]);
        if (depth == 16) expected = {expected.red & ~7, expected.green & ~7, expected.blue & ~7};
        const Rgb seen = capturedAt(words, width, x, y, depth);
        if (!near(seen.red, expected.red, tolerance) || !near(seen.green, expected.green, tolerance) ||
            !near(seen.blue, expected.blue, tolerance))
            differences << "bar " << bar << " at (" << x << "," << y << "): red " << seen.red << " green "
                        << seen.green << " blue " << seen.blue << ", expected " << expected.red << " "
                        << expected.green << " " << expected.blue << "\n";
    }
    return differences.str();
}

} // namespace livetest
