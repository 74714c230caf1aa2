// Each fast kernel against its scalar twin, called directly on seeded
// words: the identities the fast kernels rest on (per-channel tables, the
// integer threshold, the generator's jump-ahead) checked exhaustively where
// the inputs are few enough, and the kernels themselves on counts their
// widths divide.
#include "background_subtraction.h"
#include "brightness_contrast.h"
#include "convolution.h"
#include "convolution_rows.h"
#include "instruction_sets.h"
#include "kernel_dispatch.h"
#include "random_effects.h"
#include "random_generator.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <random>

namespace mardolin_test {
namespace {

using namespace mardolin;

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Infinity = std::numeric_limits<double>::infinity();

template <typename Kernel> struct Variant {
    const char *name;
    int32_t step;
    Kernel kernel;
};

#if MARDOLIN_X86_KERNELS
bool avx2() { return supportsKernelLevel(KernelLevel::Avx2); }
bool avx512() { return supportsKernelLevel(KernelLevel::Avx512); }
#endif

size_t firstDifference(const std::vector<uint32_t> &a, const std::vector<uint32_t> &b) {
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return i;
    return a.size();
}

// Counts that the widths 1, 4, 8 and 16 divide, from none to a few thousand.
const int32_t Counts[] = {0, 16, 32, 64, 240, 4096};

using TableKernel = void (*)(uint32_t *, int32_t, const ChannelTables &);

std::vector<Variant<TableKernel>> tableKernels() {
    std::vector<Variant<TableKernel>> variants = {{"portable", 1, adjustPixelsWithTables}};
#if MARDOLIN_X86_KERNELS
    if (avx2()) variants.push_back({"AVX2", 8, adjustPixelsWithTablesAvx2});
    if (avx512()) variants.push_back({"AVX-512", 16, adjustPixelsWithTablesAvx512});
#endif
#if MARDOLIN_NEON_KERNELS
    variants.push_back({"NEON", 16, adjustPixelsWithTablesNeon});
#endif
    return variants;
}

struct Levels {
    ChannelLevels contrast, brightness;
};

// Blue contrasts of 0.3 and 0.1 turn some blue bytes into 1, which the
// brightness step reads as 0.
const Levels SweptLevels[] = {
    {{0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}},
    {{1.0, -1.0, 0.3}, {-0.2, 0.004, 0.0}},
    {{-0.45, 0.7, NaN}, {NaN, -1.0, 0.5}},
    {{-0.0, 2.5, 0.1}, {Infinity, -Infinity, 0.004}},
};

// Tables are exact only if both steps really act on each channel alone:
// every colour, under several levels, against the scalar kernel.
TEST(KernelSweep, ChannelTablesGiveTheScalarKernelsWordForEveryColour) {
    std::vector<uint32_t> colours(size_t(1) << 24);
    for (uint32_t colour = 0; colour < colours.size(); ++colour)
        colours[colour] = (colour * 2654435761u) << 24 | colour;
    for (const Levels &levels : SweptLevels) {
        std::vector<uint32_t> expected = colours, actual = colours;
        adjustBrightnessAndContrastPixels(expected.data(), int32_t(expected.size()), levels.contrast,
                                          levels.brightness);
        ChannelTables tables;
        fillChannelTables(tables, levels.contrast, levels.brightness);
        adjustPixelsWithTables(actual.data(), int32_t(actual.size()), tables);
        const size_t at = firstDifference(expected, actual);
        ASSERT_EQ(at, expected.size()) << std::hex << colours[at] << " gives " << actual[at] << ", not "
                                       << expected[at];
    }
}

TEST(KernelSweep, TableKernelsAgreeWithThePortableLoop) {
    for (const Levels &levels : SweptLevels) {
        ChannelTables tables;
        fillChannelTables(tables, levels.contrast, levels.brightness);
        for (const auto &variant : tableKernels())
            for (int32_t count : Counts) {
                const std::vector<uint32_t> words = awkwardPicture(size_t(count), uint32_t(count) + 1);
                std::vector<uint32_t> expected = words, actual = words;
                adjustPixelsWithTables(expected.data(), count, tables);
                variant.kernel(actual.data(), count, tables);
                EXPECT_EQ(firstDifference(expected, actual), expected.size()) << variant.name << ", " << count;
            }
    }
}

// Levels drawn over and beyond -1 .. 1, with the edges and NaN mixed in.
std::vector<Levels> randomLevels(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> spread(-1.2, 1.2);
    const double edges[] = {-1.0, 0.0, 1.0, NaN, 0.5, -0.5};
    auto level = [&] { return random() % 8 == 0 ? edges[random() % 6] : spread(random); };
    std::vector<Levels> levels(count);
    for (Levels &l : levels) l = {{level(), level(), level()}, {level(), level(), level()}};
    return levels;
}

// A level whose exact contrast results sit right at a step has no line;
// those must stay rare, or the computed kernel would seldom run.
TEST(KernelSweep, ChannelLinesFitAlmostEveryLevel) {
    int32_t fitted = 0;
    const std::vector<Levels> levels = randomLevels(20000, 11);
    for (const Levels &l : levels) {
        ChannelTables tables;
        fillChannelTables(tables, l.contrast, l.brightness);
        ChannelLines lines;
        fitted += fitChannelLines(lines, tables, l.contrast, l.brightness);
    }
    EXPECT_GE(fitted, int32_t(levels.size()) * 99 / 100);
    for (const Levels &l : SweptLevels) {
        ChannelTables tables;
        fillChannelTables(tables, l.contrast, l.brightness);
        ChannelLines lines;
        EXPECT_TRUE(fitChannelLines(lines, tables, l.contrast, l.brightness));
    }
}

// The lines stand in for the tables: every colour against the scalar
// kernel, under the swept levels and a few random ones.
TEST(KernelSweep, ChannelLinesGiveTheScalarKernelsWordForEveryColour) {
    std::vector<uint32_t> colours(size_t(1) << 24);
    for (uint32_t colour = 0; colour < colours.size(); ++colour)
        colours[colour] = (colour * 2654435761u) << 24 | colour;
    std::vector<Levels> levels(std::begin(SweptLevels), std::end(SweptLevels));
    for (const Levels &l : randomLevels(4, 12)) levels.push_back(l);
    for (const Levels &l : levels) {
        ChannelTables tables;
        fillChannelTables(tables, l.contrast, l.brightness);
        ChannelLines lines;
        if (!fitChannelLines(lines, tables, l.contrast, l.brightness)) continue;
        std::vector<uint32_t> expected = colours, actual = colours;
        adjustBrightnessAndContrastPixels(expected.data(), int32_t(expected.size()), l.contrast, l.brightness);
        adjustPixelsWithLines(actual.data(), int32_t(actual.size()), lines);
        const size_t at = firstDifference(expected, actual);
        ASSERT_EQ(at, expected.size()) << std::hex << colours[at] << " gives " << actual[at] << ", not "
                                       << expected[at];
    }
}

#if MARDOLIN_X86_KERNELS
TEST(KernelSweep, LineKernelAgreesWithThePortableLoop) {
    if (!avx2()) GTEST_SKIP() << "no AVX2";
    for (const Levels &l : randomLevels(200, 13)) {
        ChannelTables tables;
        fillChannelTables(tables, l.contrast, l.brightness);
        ChannelLines lines;
        if (!fitChannelLines(lines, tables, l.contrast, l.brightness)) continue;
        for (int32_t count : Counts) {
            const std::vector<uint32_t> words = awkwardPicture(size_t(count), uint32_t(count) + 7);
            std::vector<uint32_t> expected = words, actual = words;
            adjustPixelsWithLines(expected.data(), count, lines);
            adjustPixelsWithLinesAvx2(actual.data(), count, lines);
            ASSERT_EQ(firstDifference(expected, actual), expected.size()) << count;
        }
    }
}
#endif

double distanceOfSum(int32_t sum) { return sum * 0.0013020833333333333; }

// Around every distance a sum can have, and beyond them all.
std::vector<double> thresholdsToTry() {
    std::vector<double> thresholds = {NaN, Infinity, -Infinity, -0.0, 1.0, -1e-300, 1e-300};
    for (int32_t sum = 0; sum <= 765; ++sum) {
        const double distance = distanceOfSum(sum);
        thresholds.push_back(distance);
        thresholds.push_back(std::nextafter(distance, Infinity));
        thresholds.push_back(std::nextafter(distance, -Infinity));
    }
    return thresholds;
}

TEST(KernelSweep, SmallestMovingSumSplitsEverySumAsTheDoubleComparisonDoes) {
    for (double threshold : thresholdsToTry()) {
        const int32_t movingSum = smallestMovingSum(threshold);
        for (int32_t sum = 0; sum <= 765; ++sum)
            ASSERT_EQ(sum >= movingSum, distanceOfSum(sum) > threshold) << "sum " << sum << ", threshold " << threshold;
    }
}

using SubtractionKernel = void (*)(const uint32_t *, const uint32_t *, uint32_t *, int32_t, int32_t);

std::vector<Variant<SubtractionKernel>> subtractionKernels() {
    std::vector<Variant<SubtractionKernel>> variants = {{"portable", 1, subtractBackgroundAbove}};
#if MARDOLIN_X86_KERNELS
    variants.push_back({"SSE2", 4, subtractBackgroundAboveSse2});
    if (avx2()) variants.push_back({"AVX2", 8, subtractBackgroundAboveAvx2});
    if (avx512()) variants.push_back({"AVX-512", 16, subtractBackgroundAboveAvx512});
#endif
#if MARDOLIN_NEON_KERNELS
    variants.push_back({"NEON", 16, subtractBackgroundAboveNeon});
#endif
    return variants;
}

TEST(KernelSweep, SubtractionKernelsAgreeWithTheScalarKernel) {
    const double thresholds[] = {NaN, -1.0, 0.0, 0.0013020833333333333, 0.0013, 0.004, 0.01, 0.5, 0.99609375};
    for (double threshold : thresholds)
        for (const auto &variant : subtractionKernels())
            for (int32_t count : Counts) {
                const std::vector<uint32_t> frame = awkwardPicture(size_t(count), uint32_t(count) + 3);
                const std::vector<uint32_t> background = nearbyPicture(frame, uint32_t(count) + 4);
                std::vector<uint32_t> expected(frame.size()), actual(frame.size(), 0xDEADBEEFu);
                subtractBackgroundPixels(frame.data(), background.data(), expected.data(), count, threshold);
                variant.kernel(frame.data(), background.data(), actual.data(), count, smallestMovingSum(threshold));
                EXPECT_EQ(firstDifference(expected, actual), expected.size())
                    << variant.name << ", " << count << ", threshold " << threshold;
            }
}

// The kernels run up or down by where the three arrays lie; both orders,
// and output on an input, give the scalar kernel's words.
TEST(KernelSweep, SubtractionKernelsAgreeWhicheverWayTheyRun) {
    constexpr int32_t count = 4096;
    struct Layout {
        size_t frame, background, output; // word offsets in one 4 KiB-aligned block
        bool descending;
    } layouts[] = {
        {0, 5 * 1024, 10 * 1024 + 4, true},   // output 16 bytes above both inputs
        {4, 5 * 1024 + 4, 10 * 1024, false},  // output 16 bytes below both
        {0, 5 * 1024, 0, false},              // output on the frame
        {8, 5 * 1024 + 8, 5 * 1024 + 8, false}, // output on the background
    };
    std::vector<uint32_t> block(16 * 1024 + 1024);
    uint32_t *base = block.data() + (1024 - (reinterpret_cast<uintptr_t>(block.data()) & 4095u) / 4) % 1024;
    for (const Layout &layout : layouts)
        for (const auto &variant : subtractionKernels()) {
            uint32_t *frame = base + layout.frame, *background = base + layout.background, *output = base + layout.output;
            ASSERT_EQ(runsDescending(frame, background, output), layout.descending) << layout.output;
            const std::vector<uint32_t> frameWords = awkwardPicture(count, 21);
            const std::vector<uint32_t> backgroundWords = nearbyPicture(frameWords, 22);
            std::fill(output, output + count, 0xDEADBEEFu); // no word left from the kernel before
            std::copy(frameWords.begin(), frameWords.end(), frame);
            std::copy(backgroundWords.begin(), backgroundWords.end(), background);
            std::vector<uint32_t> expected(count);
            subtractBackgroundPixels(frameWords.data(), backgroundWords.data(), expected.data(), count, 0.004);
            variant.kernel(frame, background, output, count, smallestMovingSum(0.004));
            EXPECT_EQ(firstDifference(expected, std::vector<uint32_t>(output, output + count)), expected.size())
                << variant.name << ", output at " << layout.output;
        }
}

// The kernels drop alpha and read a blue byte of 1 as 0 on both sides
// before they subtract: every pair of blue bytes, with alphas that differ
// and red and green one step apart, at the thresholds around the smallest sums.
TEST(KernelSweep, SubtractionKernelsAgreeOnEveryPairOfBlueBytes) {
    std::vector<uint32_t> frame, background;
    for (uint32_t frameBlue = 0; frameBlue < 256; ++frameBlue)
        for (uint32_t backgroundBlue = 0; backgroundBlue < 256; ++backgroundBlue) {
            const uint32_t alpha = (frameBlue * 7 + backgroundBlue) % 3 * 0x7F000000u;
            frame.push_back(alpha | 0x00102000u | frameBlue);
            background.push_back((0xFF000000u - alpha) | 0x00112000u | backgroundBlue);
        }
    const int32_t count = int32_t(frame.size());
    for (int32_t movingSum : {0, 1, 2, 3, 4, 255, 256, 766})
        for (const auto &variant : subtractionKernels()) {
            std::vector<uint32_t> expected(frame.size()), actual(frame.size(), 0xDEADBEEFu);
            subtractBackgroundAbove(frame.data(), background.data(), expected.data(), count, movingSum);
            variant.kernel(frame.data(), background.data(), actual.data(), count, movingSum);
            const size_t at = firstDifference(expected, actual);
            EXPECT_EQ(at, expected.size()) << variant.name << ", moving sum " << movingSum << ", frame " << std::hex
                                           << frame[at] << ", background " << background[at];
        }
}

TEST(KernelSweep, GeneratorJumpsEqualSingleSteps) {
    for (uint32_t steps : {0u, 1u, 2u, 3u, 8u, 24u, 1000u}) {
        setGeneratorState(0x9E3779B9u);
        for (uint32_t i = 0; i < steps; ++i) nextRandomDraw();
        const GeneratorJump jump = generatorJump(steps);
        EXPECT_EQ(0x9E3779B9u * jump.multiplier + jump.increment, generatorState()) << steps;
    }
}

using EffectKernel = void (*)(uint32_t *, int32_t);

struct Effect {
    const char *name;
    EffectKernel scalar;
    std::vector<Variant<EffectKernel>> fast;
};

std::vector<Effect> televisionEffects() {
    std::vector<Effect> effects = {{"oldBWTV", oldBWTVPixels, {}}, {"oldColorTV", oldColorTVPixels, {}}};
#if MARDOLIN_X86_KERNELS
    effects[0].fast.push_back({"SSE2", 4, oldBWTVPixelsSse2});
    effects[1].fast.push_back({"SSE2", 4, oldColorTVPixelsSse2});
    if (avx2()) {
        effects[0].fast.push_back({"AVX2", 8, oldBWTVPixelsAvx2});
        effects[1].fast.push_back({"AVX2", 8, oldColorTVPixelsAvx2});
    }
    if (avx512()) {
        effects[0].fast.push_back({"AVX-512", 16, oldBWTVPixelsAvx512});
        effects[1].fast.push_back({"AVX-512", 16, oldColorTVPixelsAvx512});
    }
#endif
#if MARDOLIN_NEON_KERNELS
    effects[0].fast.push_back({"NEON", 16, oldBWTVPixelsNeon});
    effects[1].fast.push_back({"NEON", 16, oldColorTVPixelsNeon});
#endif
    return effects;
}

// From states anywhere in the sequence: the same words, and the thread's
// state left where the scalar kernel leaves it.
TEST(KernelSweep, TelevisionKernelsDrawLikeTheScalarKernels) {
    const uint32_t startStates[] = {1u, 0u, 0xFFFFFFFFu, 0x80000000u, 0x12345678u};
    for (const Effect &effect : televisionEffects())
        for (const auto &variant : effect.fast)
            for (uint32_t start : startStates)
                for (int32_t count : Counts) {
                    const std::vector<uint32_t> words = awkwardPicture(size_t(count), start + uint32_t(count));
                    std::vector<uint32_t> expected = words, actual = words;
                    setGeneratorState(start);
                    effect.scalar(expected.data(), count);
                    const uint32_t expectedState = generatorState();
                    setGeneratorState(start);
                    variant.kernel(actual.data(), count);
                    EXPECT_EQ(firstDifference(expected, actual), expected.size())
                        << effect.name << " " << variant.name << ", " << count << ", from " << start;
                    EXPECT_EQ(generatorState(), expectedState)
                        << effect.name << " " << variant.name << ", " << count << ", from " << start;
                }
}

// What the oldColorTV kernels compare instead of the scalar kernel's product.
TEST(KernelSweep, AChannelIsSwitchedOnExactlyWhen255DrawsAreBelow32767TimesIt) {
    for (int32_t draw = 0; draw <= 32767; ++draw) {
        const int32_t truncated = int32_t(draw * UnitPerDraw * 255.0);
        for (int32_t channel = 0; channel <= 255; ++channel)
            ASSERT_EQ(truncated < channel, 255 * draw < 32767 * channel) << draw << ", " << channel;
    }
}

// What the oldBWTV kernels compare instead: both sides grow with the
// weighted luminance, so agreeing on either side of the integer threshold
// means agreeing for all 0..255000.
TEST(KernelSweep, APixelTurnsWhiteExactlyWhenItsWeightedLuminanceExceedsTheDrawsThreshold) {
    for (int64_t draw = 0; draw <= 32767; ++draw) {
        const int64_t part = 26631 * draw;
        const int64_t threshold = 7 * draw + ((part + (part >> 15) + 1) >> 15);
        ASSERT_EQ(threshold, 256000 * draw / 32767) << draw;
        for (int64_t weighted : {threshold, threshold + 1})
            ASSERT_EQ(int32_t(draw) * UnitPerDraw<int32_t(weighted) * 3.90625e-06, weighted> threshold) << draw;
    }
}

TEST(KernelSweep, DistinctWeightedLuminancesGiveDistinctLuminancesInTheSameOrder) {
    for (int32_t weighted = 0; weighted < 255000; ++weighted)
        ASSERT_LT(weighted * 3.90625e-06, (weighted + 1) * 3.90625e-06) << weighted;
}

// Where fused single-precision sums are taken to be exact: 255 x sum|K|
// (with a small margin) below 2^(L + 53), L the lowest set bit of the
// non-zero weights; finite weights only.
TEST(KernelSweep, FusedSumsAreExactForKernelsInsideTheClassOnly) {
    const float infinity = std::numeric_limits<float>::infinity();
    struct Case {
        const char *what;
        std::vector<float> weights;
        bool exact;
    };
    const Case cases[] = {
        {"normalised gaussian", {0.0751136f, 0.1238414f, 0.0751136f, 0.1238414f, 0.2041800f}, true},
        {"box of ninths", std::vector<float>(9, 1.0f / 9.0f), true},
        {"tenth and 1000.3", {0.1f, 1000.3f, 0.1f}, true},
        {"all zero, signed", {0.0f, -0.0f, 0.0f}, true},
        {"subnormal weights", {1e-45f, 3e-39f, -1e-40f}, true},
        {"opposite 2^121", {-0x1p121f, 0x1p121f}, true},
        {"8.93e15 below 2^53", {3.5e13f, 1.0f}, true},
        {"9.03e15 above 2^53", {3.54e13f, 1.0f}, false},
        {"1 and 2^-45", {1.0f, 0x1p-45f}, true},
        {"1 and 2^-46", {1.0f, 0x1p-46f}, false},
        {"1e-9 and 1", {1e-9f, 1.0f}, false},
        {"rounded at the second step", {5237765 * 0x1p-27f, 0x1p20f}, false},
        {"infinite weight", {1.0f, infinity}, false},
        {"NaN weight", {std::numeric_limits<float>::quiet_NaN(), 0.0f}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fusedSumsAreExact(c.weights.data(), int32_t(c.weights.size())), c.exact) << c.what;
}

struct MeltCase {
    int32_t width, height;
    double amount;
};

// A melt path against meltPixels on each case, from three generator states:
// the same words, and the generator left where the plain loop leaves it.
void expectMeltsLikeThePlainLoop(void (*melt)(uint32_t *, int32_t, int32_t, double),
                                 std::initializer_list<MeltCase> cases) {
    for (const MeltCase &c : cases)
        for (uint32_t start : {1u, 0xFFFFFFFFu, 0x2468ACE0u}) {
            const std::vector<uint32_t> words = awkwardPicture(size_t(c.width) * c.height, start ^ uint32_t(c.width));
            std::vector<uint32_t> expected = words, actual = words;
            setGeneratorState(start);
            meltPixels(expected.data(), c.width, c.height, c.amount);
            const uint32_t expectedState = generatorState();
            setGeneratorState(start);
            melt(actual.data(), c.width, c.height, c.amount);
            EXPECT_EQ(firstDifference(expected, actual), expected.size())
                << c.width << "x" << c.height << ", " << c.amount;
            EXPECT_EQ(generatorState(), expectedState) << c.width << "x" << c.height << ", " << c.amount;
        }
}

// Shapes with one row (no pairs), two rows, odd widths; amounts below one
// attempt, with a partial last batch, and many times the area.
TEST(KernelSweep, BatchedMeltExchangesLikeThePlainLoop) {
    expectMeltsLikeThePlainLoop(meltPixelsInBatches,
                                {{1, 1, 5.0}, {7, 1, 3.0}, {1, 2, 9.0}, {3, 5, 1.4}, {4, 3, 0.5}, {13, 11, 0.37},
                                 {64, 2, 1.0}, {61, 17, 2.5}, {9, 9, 0.01}, {5, 7, NaN}, {40, 30, 40.0}});
}

std::vector<Variant<const ConvolutionRowKernels *>> convolutionRowKernels() {
    std::vector<Variant<const ConvolutionRowKernels *>> variants;
#if MARDOLIN_X86_KERNELS
    if (avx2()) variants.push_back({"AVX2", ConvolutionRowsAvx2.step, &ConvolutionRowsAvx2});
#endif
#if MARDOLIN_NEON_KERNELS
    variants.push_back({"NEON", ConvolutionRowsNeon.step, &ConvolutionRowsNeon});
#endif
    return variants;
}

// The single-precision sum the scalar kernel makes of one channel value
// under every weight.
float chainedSum(const std::vector<float> &weights, int32_t channel) {
    float sum = static_cast<float>(static_cast<double>(channel) * weights[1]);
    sum = static_cast<float>(static_cast<double>(channel) * weights[0] + sum);
    for (size_t k = 2; k < weights.size(); ++k) sum = static_cast<float>(static_cast<double>(channel) * weights[k] + sum);
    return sum;
}

// Random weights of many magnitudes, and small integer ones, on pictures a
// few strips wide with columns left over: the row kernels against the
// scalar kernel, word for word. Every other trial is a picture of one
// colour whose red sum the bias cancels and a divisor of 2^-20 magnifies,
// so that a step rounded otherwise than the scalar kernel's shows.
TEST(KernelSweep, ConvolutionRowKernelsAgreeWithTheScalarKernel) {
    std::mt19937 random(20240611u);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-8, 8), small(-7, 7), byte(2, 255), coin(0, 3);
    for (const auto &variant : convolutionRowKernels())
        for (int trial = 0; trial < 60; ++trial) {
            const int32_t size = trial % 2 == 0 ? 3 : 5, width = 16 * (1 + trial % 3) + trial % 5, height = 1 + trial % 6;
            const bool sensitive = trial % 4 < 2, integer = !sensitive && coin(random) == 0;
            std::vector<float> weights(size_t(size * size));
            for (float &weight : weights)
                weight = integer ? float(small(random)) / 4.0f : std::ldexp(mantissa(random), exponent(random));
            std::vector<uint32_t> kernel(weights.size());
            std::memcpy(kernel.data(), weights.data(), sizeof(float) * weights.size());
            std::vector<uint32_t> source = awkwardPicture(size_t(width * height), uint32_t(trial) + 3);
            double divisor = coin(random) == 0 ? 1.0 : std::ldexp(double(mantissa(random)), exponent(random));
            double bias = coin(random) == 0 ? 0.0 : 300.0 * double(mantissa(random));
            if (sensitive) {
                const int32_t red = byte(random);
                std::fill(source.begin(), source.end(), 0xFF000000u | uint32_t(red) << 16 | uint32_t(byte(random)) << 8 |
                                                             uint32_t(byte(random)));
                divisor = std::ldexp(1.0, -20);
                bias = 100 * divisor - static_cast<double>(chainedSum(weights, red));
            }
            std::vector<uint32_t> expected(source.size(), 7u), actual(source.size(), 7u);
            convolveColumnsFrom(size, 0, source.data(), expected.data(), width, height, kernel.data(), divisor, bias);
            convolveInStrips(*variant.kernel, nullptr, size, source.data(), actual.data(), width, height, kernel.data(), divisor,
                             bias);
            if (sensitive) {
                ASSERT_EQ((expected[0] >> 16) & 255u, 100u) << "trial " << trial;
            }
            EXPECT_EQ(firstDifference(expected, actual), expected.size())
                << variant.name << ", trial " << trial << (integer ? ", integer weights" : ", float weights");
        }
}

struct IntegerCase {
    const char *what;
    std::vector<float> weights;
    double divisor, bias;
    bool fits; // whether a fixed-point form exists
};

// The usual small-integer kernels; scales of 1 and of 2/3 need the shift,
// a falling scale has no form.
std::vector<IntegerCase> integerCases() {
    const std::vector<float> box3(9, 1.0f), box5(25, 1.0f);
    const std::vector<float> sharpen = {0, -1, 0, -1, 5, -1, 0, -1, 0}, edge = {-1, -1, -1, -1, 8, -1, -1, -1, -1};
    const std::vector<float> sixteenths = {0.0625f, 0.125f, 0.0625f, 0.125f, 0.25f, 0.125f, 0.0625f, 0.125f, 0.0625f};
    return {{"box", box3, 9.0, 0.0, true},           {"box 5x5", box5, 25.0, 0.0, true},
            {"sharpen", sharpen, 1.0, 0.0, true},    {"edge", edge, 1.0, 128.0, true},
            {"sixteenths", sixteenths, 1.0, 0.5, true}, {"box by 1.5", box3, 1.5, -3.0, true},
            {"box by -3", box3, -3.0, 200.0, false}};
}

// Every sum of every case gets its table's value, and the row kernels that
// take the form give the scalar kernel's words with it.
TEST(KernelSweep, FixedPointValuesFitTheUsualKernels) {
    for (const IntegerCase &c : integerCases()) {
        const int32_t count = int32_t(c.weights.size()), size = count == 9 ? 3 : 5;
        SmallIntegerWeights integer;
        ASSERT_TRUE(smallIntegerWeightsOf(c.weights.data(), count, integer)) << c.what;
        std::vector<uint8_t> values(size_t(integer.sumCount) + 3);
        fillChannelValues(integer, c.divisor, c.bias, values.data());
        IntegerRowPlan plan = {integer.scaled, values.data(), integer.lowestSum, integer.sumCount, false, 0, 0, false,
                               0, 0, 0, 0};
        fitFixedPointValues(plan, std::ldexp(1.0, -integer.shift) / c.divisor);
        ASSERT_EQ(plan.fixedPoint, c.fits) << c.what;
        for (int32_t i = 0; i < integer.sumCount && c.fits; ++i)
            ASSERT_EQ(fixedPointValue(plan, integer.lowestSum + i), values[size_t(i)]) << c.what << ", sum " << i;
        std::vector<uint32_t> kernel(c.weights.size());
        std::memcpy(kernel.data(), c.weights.data(), sizeof(float) * c.weights.size());
        const int32_t width = 53, height = 9;
        const std::vector<uint32_t> source = awkwardPicture(size_t(width * height), 31);
        for (const auto &variant : convolutionRowKernels()) {
            std::vector<uint32_t> expected(source.size(), 7u), actual(source.size(), 7u);
            convolveColumnsFrom(size, 0, source.data(), expected.data(), width, height, kernel.data(), c.divisor,
                                c.bias);
            convolveInStrips(*variant.kernel, nullptr, size, source.data(), actual.data(), width, height, kernel.data(),
                             c.divisor, c.bias);
            EXPECT_EQ(firstDifference(expected, actual), expected.size()) << variant.name << ", " << c.what;
        }
    }
}

// Around the size from which the table is used (131072 attempts), on
// shapes whose draws share words: one column (each lower word is the next
// draw's upper), two rows, few words for many draws; and large pictures.
TEST(KernelSweep, MeltOverTheTableExchangesLikeThePlainLoop) {
    expectMeltsLikeThePlainLoop(meltPixelsOverTable,
                                {{256, 512, 0.99999}, {256, 512, 1.0}, {257, 512, 1.0}, {1, 131073, 1.0},
                                 {65536, 2, 1.0}, {3, 5, 10000.0}, {40, 30, 200.0}, {2, 70001, 1.0},
                                 {700, 501, 4.0}, {1920, 1080, 1.0}, {4000, 33, 1.0}});
}

} // namespace
} // namespace mardolin_test
