#include "demo_effects.h"

#include <algorithm>
#include <cstdio>

namespace demo {
namespace {

constexpr int kBackgroundShiftX = 6, kBackgroundShiftY = 3;

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

// Gaussian weights 1 4 6 4 1 in both directions; they sum to 256.
std::vector<float> gaussianBlur5X5() {
    const float row[5] = {1, 4, 6, 4, 1};
    std::vector<float> kernel;
    for (float vertical : row)
        for (float horizontal : row) kernel.push_back(vertical * horizontal);
    return kernel;
}

} // namespace

const std::vector<Effect> &demoEffects() {
    static const std::vector<Effect> effects{
        {"adjustBrightnessAndContrast", "Brightness 0.1\nContrast 0.3", "Brightness and contrast",
         EffectForm::InPlace, {0.1, 0.3}, {}},
        {"adjustRBGBrightnessAndContrast", "RGB brightness .2 -.1 .05\nRGB contrast .4 .1 -.3",
         "Per-channel brightness", EffectForm::InPlace, {0.2, -0.1, 0.05, 0.4, 0.1, -0.3}, {}},
        {"backgroundSubstraction", "Background subtraction\nshifted 6,3  threshold .08", "Background subtraction",
         EffectForm::BackgroundSubtraction, {0.08}, {}},
        {"matrix3X3Multiplication", "3x3 edge detection\ndivisor 1  bias 0", "3x3 edge detection",
         EffectForm::Convolution, {1.0, 0.0}, {-1, -1, -1, -1, 8, -1, -1, -1, -1}},
        {"matrix5X5Multiplication", "5x5 Gaussian blur\ndivisor 256  bias 0", "5x5 Gaussian blur",
         EffectForm::Convolution, {256.0, 0.0}, gaussianBlur5X5()},
        {"melt", "Melt\namount 2", "Melt", EffectForm::InPlace, {2.0}, {}},
        {"oldBWTV", "Old black and white TV", "Old black and white TV", EffectForm::InPlace, {}, {}},
        {"oldColorTV", "Old colour TV", "Old colour TV", EffectForm::InPlace, {}, {}},
    };
    return effects;
}

EffectResult runEffect(FilterHost &filters, const Effect &effect, const Picture &picture) {
    std::vector<HostWord> arguments;
    HostWord result = 0;
    switch (effect.form) {
    case EffectForm::InPlace:
        result = filters.newBitmap(picture);
        arguments = {result};
        break;
    case EffectForm::Convolution:
        result = filters.newBitmap(Picture(picture.width, picture.height));
        arguments = {filters.newBitmap(picture), result, filters.newKernel(effect.kernel)};
        break;
    case EffectForm::BackgroundSubtraction:
        result = filters.newBitmap(Picture(picture.width, picture.height));
        arguments = {filters.newBitmap(picture),
                     filters.newBitmap(shifted(picture, kBackgroundShiftX, kBackgroundShiftY)), result};
        break;
    }
    for (double parameter : effect.parameters) arguments.push_back(filters.newFloat(parameter));
    EffectResult run;
    run.outcome = filters.call(effect.primitive, arguments);
    run.picture = filters.pictureOf(result);
    return run;
}

std::vector<Tile> applyEffects(FilterHost &filters, const Picture &picture, const std::string &pictureLabel,
                               int *failures) {
    std::vector<Tile> tiles{{pictureLabel, picture}};
    *failures = 0;
    for (const Effect &effect : demoEffects()) {
        const EffectResult result = runEffect(filters, effect, picture);
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
