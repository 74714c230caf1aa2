// Brightness and contrast: the contrast step, then the brightness step, on
// hand-computed pixels.
#include "mardolin_test.h"

#include <limits>

namespace mardolin_test {
namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

class BrightnessContrast : public MardolinTest {
  protected:
    // adjustBrightnessAndContrast over a one-row bitmap of the given pixels.
    std::vector<uint32_t> adjusted(const std::vector<uint32_t> &pixels, double brightness, double contrast) {
        HostWord picture = bitmap(int(pixels.size()), 1, pixels);
        call("adjustBrightnessAndContrast", {picture, number(brightness), number(contrast)});
        EXPECT_TRUE(answeredReceiver());
        return pixelsOf(picture);
    }
};

TEST_F(BrightnessContrast, SharedLevelsGiveTheWorkedPixels) {
    struct Case {
        const char *what;
        double brightness, contrast;
        std::vector<uint32_t> input, expected;
    };
    const Case cases[] = {
        {"neutral levels scale channels by 255/256 and round",
         0.0,
         0.0,
         {0xFFFFFFFF, 0xFF818080, 0xFF807F00, 0xFF102001, 0xFF000000, 0x00000000, 0x120AC81E},
         {0xFFFEFEFE, 0xFF808080, 0xFF807F00, 0xFF102000, OpaqueBlack, OpaqueBlack, 0xFF0AC71E}},
        {"transparent brightened comes out opaque", 0.5, 0.0, {0x00000000}, {0xFF808080}},
        {"contrast -1 flattens to mid grey",
         0.0,
         -1.0,
         {0xFF000000, 0xFFFFFFFF, 0x7F123456},
         {0xFF808080, 0xFF808080, 0xFF808080}},
        {"contrast 1 stretches by four",
         0.0,
         1.0,
         {0xFF60619F, 0xFFA0A0A0, 0xFF5F5F5F},
         {0xFF0004FB, 0xFFFFFFFF, OpaqueBlack}},
        {"contrast beyond 1 acts as 1", 0.0, 7.0, {0xFF60619F}, {0xFF0004FB}},
        {"NaN contrast acts as -1", 0.0, NaN, {0xFF000000, 0xFFFFFFFF}, {0xFF808080, 0xFF808080}},
        {"brightness 1 gives white",
         1.0,
         0.0,
         {0xFF000000, 0x00000000, 0xFF123456},
         {OpaqueWhite, OpaqueWhite, OpaqueWhite}},
        {"brightness beyond 1 acts as 1", 5.0, 0.0, {0xFF000000}, {OpaqueWhite}},
        {"brightness -1 gives opaque black", -1.0, 0.0, {0xFFFFFFFF, 0x00000000}, {OpaqueBlack, OpaqueBlack}},
        {"NaN brightness acts as -1", NaN, 0.0, {0xFFFFFFFF}, {OpaqueBlack}},
        {"brightness 0.001 adds trunc(0.256) = 0", 0.001, 0.0, {0xFF404040}, {0xFF404040}},
        {"brightness 0.004 adds 1", 0.004, 0.0, {0xFF404040}, {0xFF414141}},
        {"brightness -0.004 subtracts 1", -0.004, 0.0, {0xFF404040}, {0xFF3F3F3F}},
        {"brightness clamps each channel", 0.25, 0.0, {0xFFF01020}, {0xFFFF5060}},
        {"all channels clamped to 0 give opaque black", -0.5, 0.0, {0xFF102030}, {OpaqueBlack}},
        {"contrast comes before brightness", 0.25, 1.0, {0xFF606060}, {0xFF404040}},
    };
    for (const Case &c : cases) EXPECT_EQ(adjusted(c.input, c.brightness, c.contrast), c.expected) << c.what;
}

TEST_F(BrightnessContrast, EveryWordOfAFullBitmapIsAdjusted) {
    std::vector<uint32_t> pixels(6 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | uint32_t(i * 0x0A0B0C);
    HostWord picture = bitmap(6, 4, pixels);
    call("adjustBrightnessAndContrast", {picture, number(1.0), number(0.0)});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(picture), std::vector<uint32_t>(pixels.size(), OpaqueWhite));
}

// adjustRBGBrightnessAndContrast(bitmap, redBrightness, greenBrightness,
// blueBrightness, redContrast, greenContrast, blueContrast)
TEST_F(BrightnessContrast, PerChannelLevelsActOnTheirOwnChannel) {
    struct Case {
        const char *what;
        double red, green, blue, redContrast, greenContrast, blueContrast;
        uint32_t input, expected;
    };
    const Case cases[] = {
        {"red brightness 1 alone", 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0xFF10FF20, 0xFFFFFE20},
        // red: 96 + 64; green: 128 + 128 clamped; blue: 160 stretched to 255, then - 64.
        {"every level different", 0.25, 0.5, -0.25, 0.0, -1.0, 1.0, 0xFF6060A0, 0xFFA0FFBF},
        {"green contrast 1 alone", 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0xFF606160, 0xFF600460},
        {"blue brightness -1 with a blue byte of 1", 0.0, 0.0, -1.0, 0.0, 0.0, 0.0, 0x00102001, 0xFF102000},
        {"all channels to 0 give opaque black", -1.0, -1.0, -1.0, 0.0, 0.0, 0.0, 0xFFFFFFFF, OpaqueBlack},
        {"NaN levels act as -1 per channel", 0.0, NaN, 0.0, NaN, 0.0, 0.0, 0xFF000000, 0xFF800000},
    };
    for (const Case &c : cases) {
        HostWord picture = bitmap(1, 1, {c.input});
        call("adjustRBGBrightnessAndContrast",
             {picture, number(c.red), number(c.green), number(c.blue), number(c.redContrast), number(c.greenContrast),
              number(c.blueContrast)});
        EXPECT_TRUE(answeredReceiver()) << c.what;
        EXPECT_EQ(pixelsOf(picture), std::vector<uint32_t>{c.expected}) << c.what;
    }
}

} // namespace
} // namespace mardolin_test
