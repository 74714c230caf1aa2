#include "demo_effects.h"

#include <algorithm>
#include <cstdio>

namespace demo {
namespace {

// Runs a filter that rewrites one bitmap in place: bitmap, then parameters.
EffectResult runInPlace(FilterHost &filters, const char *primitive, const Picture &picture,
                  const std::vector<double> &parameters) {
    const HostWord bitmap = filters.newBitmap(picture);
    std::vector<HostWord> arguments{bitmap};
    for (double parameter : parameters) arguments.push_back(filters.newFloat(parameter));
    EffectResult result;
    result.outcome = filters.call(primitive, arguments);
    result.picture = filters.pictureOf(bitmap);
    return result;
}

// Runs a convolution from the picture into a fresh bitmap of its size.
EffectResult runConvolution(FilterHost &filters, const char *primitive, const Picture &picture,
                      const std::vector<float> &kernel, double divisor, double bias) {
    const HostWord destination = filters.newBitmap(Picture(picture.width, picture.height));
    EffectResult result;
    result.outcome = filters.call(primitive, {filters.newBitmap(picture), destination, filters.newKernel(kernel),
                                              filters.newFloat(divisor), filters.newFloat(bias)});
    result.picture = filters.pictureOf(destination);
    return result;
}

// The picture moved by (dx, dy), its edge pixels repeated into the gap.
Picture shifted(const Picture &picture, int dx, int dy) {
    Picture moved(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int sx = std::clamp(x - dx, 0, picture.width - 1), sy = std::clamp(y - dy, 0, picture.height - 1);
            moved.at(x, y) = picture.at(sx, sy);
        }
    }
    return moved;
}

// Against a copy moved a few pixels, whatever "moved" keeps its colours
// and the still parts turn transparent.
EffectResult runBackgroundSubtraction(FilterHost &filters, const char *primitive, const Picture &picture, int dx, int dy,
                                double threshold) {
    const HostWord output = filters.newBitmap(Picture(picture.width, picture.height));
    EffectResult result;
    result.outcome = filters.call(primitive, {filters.newBitmap(picture), filters.newBitmap(shifted(picture, dx, dy)),
                                              output, filters.newFloat(threshold)});
    result.picture = filters.pictureOf(output);
    return result;
}

// Gaussian weights 1 4 6 4 1 in both directions; they sum to 256.
std::vector<float> gaussianBlur5X5() {
    const float row[5] = {1, 4, 6, 4, 1};
    std::vector<float> kernel;
    for (float vertical : row)
        for (float horizontal : row) kernel.push_back(vertical * horizontal);
    return kernel;
}

} // namespace

std::vector<Effect> demoEffects() {
    return {
        {"adjustBrightnessAndContrast", "BRIGHTNESS 0.1\nCONTRAST 0.3",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runInPlace(f, name, p, {0.1, 0.3});
         }},
        {"adjustRBGBrightnessAndContrast", "RGB BRIGHTNESS .2 -.1 .05\nRGB CONTRAST .4 .1 -.3",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runInPlace(f, name, p, {0.2, -0.1, 0.05, 0.4, 0.1, -0.3});
         }},
        {"backgroundSubstraction", "BACKGROUND SUBTRACTION\nSHIFTED 6,3  THRESHOLD .08",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runBackgroundSubtraction(f, name, p, 6, 3, 0.08);
         }},
        {"matrix3X3Multiplication", "3x3 EDGE DETECTION\nDIVISOR 1  BIAS 0",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runConvolution(f, name, p, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1.0, 0.0);
         }},
        {"matrix5X5Multiplication", "5x5 GAUSSIAN BLUR\nDIVISOR 256  BIAS 0",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runConvolution(f, name, p, gaussianBlur5X5(), 256.0, 0.0);
         }},
        {"melt", "MELT\nAMOUNT 2",
         [](FilterHost &f, const char *name, const Picture &p) { return runInPlace(f, name, p, {2.0}); }},
        {"oldBWTV", "OLD BLACK AND WHITE TV",
         [](FilterHost &f, const char *name, const Picture &p) { return runInPlace(f, name, p, {}); }},
        {"oldColorTV", "OLD COLOUR TV",
         [](FilterHost &f, const char *name, const Picture &p) { return runInPlace(f, name, p, {}); }},
    };
}

std::vector<Tile> applyEffects(FilterHost &filters, const Picture &picture, const std::string &pictureLabel,
                               int *failures) {
    std::vector<Tile> tiles{{pictureLabel, picture}};
    *failures = 0;
    for (const Effect &effect : demoEffects()) {
        const EffectResult result = effect.run(filters, effect.primitive, picture);
        if (result.outcome.succeeded) {
            std::printf("%-32s %9.3f ms\n", effect.primitive, result.outcome.milliseconds);
            tiles.push_back({effect.label, result.picture});
        } else {
            std::printf("%-32s FAILED: %s\n", effect.primitive, result.outcome.problem.c_str());
            tiles.push_back({effect.label, std::nullopt});
            ++*failures;
        }
    }
    return tiles;
}

} // namespace demo
