// Every primitive through the host on each kernel level this processor
// runs, against the scalar level of the same library: seeded pictures of
// awkward sizes (single pixels, widths one short of, equal to and one past
// the vector widths), parameters from the edges of their ranges, and every
// output word compared. The test copy of the library, built from the same
// objects, adds only the switch between levels.
#include "mardolin_test.h"
#include "test_pictures.h"

#include <cmath>
#include <limits>
#include <sstream>

namespace mardolin_test {
namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Infinity = std::numeric_limits<double>::infinity();

constexpr int ScalarLevel = 0;
constexpr int FastLevels[] = {1, 2, 3}; // baseline (SSE2 on x86, NEON on aarch64), AVX2, AVX-512

struct Shape {
    int width, height;
};
const Shape Shapes[] = {{1, 1}, {3, 1}, {1, 6},  {4, 1},  {5, 2},  {7, 3},  {8, 2},  {9, 2},
                        {2, 9}, {6, 5}, {16, 3}, {17, 4}, {31, 3}, {33, 2}, {64, 2}, {67, 5}};

std::string nameOf(const Shape &shape) { return std::to_string(shape.width) + "x" + std::to_string(shape.height); }

// The words of every bitmap a scenario wrote, in the order it made them.
using Outcome = std::vector<std::vector<uint32_t>>;

class KernelLevels : public MardolinTest {
  protected:
    using SelectKernels = HostWord(HOST_CALL *)(HostWord);

    std::unique_ptr<host::Plugin> openLibrary() override {
        std::string error;
        auto library =
            host::Plugin::open("MardolinKernelSwitch", host::Plugin::defaultDirectory() + "/test-only", &error);
        EXPECT_NE(library, nullptr) << error;
        return library;
    }

    void SetUp() override {
        MardolinTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        select_ = reinterpret_cast<SelectKernels>(plugin->symbol("selectMardolinKernels"));
        ASSERT_NE(select_, nullptr);
    }

    // Runs the scenario with the level's kernels on a fresh thread, whose
    // random sequence starts afresh. Answers false when the processor lacks
    // the level.
    bool runAt(int level, const std::function<Outcome()> &scenario, Outcome &outcome) {
        if (select_(level) == 0) return false;
        onFreshThread([&] { outcome = scenario(); });
        return true;
    }

    // The scenario makes its own operands, so each run starts from the same words.
    void expectSameOnEveryLevel(const std::function<Outcome()> &scenario, const std::string &what) {
        Outcome reference, fast;
        ASSERT_TRUE(runAt(ScalarLevel, scenario, reference));
        for (int level : FastLevels) {
            if (!runAt(level, scenario, fast)) continue;
            EXPECT_EQ(firstDifference(reference, fast), "") << what << ", level " << level;
        }
    }

    // A primitive that must answer its receiver, then the words of the bitmaps given.
    Outcome called(const char *primitive, const std::vector<HostWord> &arguments,
                   const std::vector<HostWord> &written) {
        call(primitive, arguments);
        EXPECT_TRUE(answeredReceiver()) << primitive;
        Outcome outcome;
        for (HostWord picture : written) outcome.push_back(pixelsOf(picture));
        return outcome;
    }

    static std::string firstDifference(const Outcome &expected, const Outcome &actual) {
        if (expected.size() != actual.size()) return "a different number of bitmaps";
        for (size_t b = 0; b < expected.size(); ++b)
            for (size_t i = 0; i < expected[b].size() && i < actual[b].size(); ++i)
                if (expected[b][i] != actual[b][i]) {
                    std::ostringstream out;
                    out << "bitmap " << b << " word " << i << ": " << std::hex << actual[b][i] << " instead of "
                        << expected[b][i];
                    return out.str();
                }
        return "";
    }

    HostWord awkwardBitmap(const Shape &shape, uint32_t seed) {
        return bitmap(shape.width, shape.height, awkwardPicture(size_t(shape.width) * shape.height, seed));
    }

  private:
    SelectKernels select_ = nullptr;
};

// Levels at and beyond the limits, the signed zeros, NaN and the infinities.
const double EdgeLevels[] = {0.0, -0.0, 0.25, -0.6, 0.004, -0.004, 0.5, 1.0, -1.0, 1.5, -7.0, NaN, Infinity, -Infinity};

TEST_F(KernelLevels, BrightnessAndContrastForEveryPairOfEdgeLevels) {
    const Shape shape = {19, 3};
    for (double brightness : EdgeLevels)
        for (double contrast : EdgeLevels)
            expectSameOnEveryLevel(
                [&] {
                    HostWord picture = awkwardBitmap(shape, 7);
                    return called("adjustBrightnessAndContrast", {picture, number(brightness), number(contrast)},
                                  {picture});
                },
                "brightness " + std::to_string(brightness) + ", contrast " + std::to_string(contrast));
}

TEST_F(KernelLevels, BrightnessAndContrastPerChannelOnAwkwardShapes) {
    const size_t levelCount = std::size(EdgeLevels);
    uint32_t pick = 1;
    for (const Shape &shape : Shapes)
        for (bool perChannel : {false, true}) {
            std::vector<double> levels;
            for (int i = 0; i < (perChannel ? 6 : 2); ++i) levels.push_back(EdgeLevels[(pick += 5) % levelCount]);
            const char *primitive = perChannel ? "adjustRBGBrightnessAndContrast" : "adjustBrightnessAndContrast";
            expectSameOnEveryLevel(
                [&] {
                    HostWord picture = awkwardBitmap(shape, pick);
                    std::vector<HostWord> arguments = {picture};
                    for (double level : levels) arguments.push_back(number(level));
                    return called(primitive, arguments, {picture});
                },
                std::string(primitive) + " " + nameOf(shape));
        }
}

// Thresholds on and beside the distances of small channel sums, and beyond
// the range of distances.
const double Thresholds[] = {0.0,
                             -0.0,
                             0.0013020833333333333,
                             0.0013,
                             0.0026041666666666665,
                             0.0039,
                             0.004,
                             0.5,
                             0.99609375,
                             0.996,
                             1.5,
                             -1.0,
                             NaN,
                             Infinity,
                             -Infinity};

TEST_F(KernelLevels, BackgroundSubtractionForEveryThresholdAndOutput) {
    uint32_t seed = 11;
    for (const Shape &shape : Shapes)
        for (double threshold : Thresholds)
            for (int output : {0, 1, 2}) { // a bitmap of its own, the frame, the background
                ++seed;
                expectSameOnEveryLevel(
                    [&] {
                        const size_t count = size_t(shape.width) * shape.height;
                        const std::vector<uint32_t> framePixels = awkwardPicture(count, seed);
                        HostWord frame = bitmap(shape.width, shape.height, framePixels);
                        HostWord background = bitmap(shape.width, shape.height, nearbyPicture(framePixels, seed));
                        HostWord written = output == 1   ? frame
                                           : output == 2 ? background
                                                         : bitmap(shape.width, shape.height, 0x12345678u);
                        return called("backgroundSubstraction", {frame, background, written, number(threshold)},
                                      {frame, background, written});
                    },
                    "threshold " + std::to_string(threshold) + ", output " + std::to_string(output) + ", " +
                        nameOf(shape));
            }
}

struct KernelCase {
    const char *what;
    std::vector<float> weights3, weights5;
};

std::vector<float> filled(size_t count, float value) { return std::vector<float>(count, value); }

std::vector<float> seededWeights(size_t count, uint32_t seed, float scale) {
    std::vector<float> weights;
    for (uint32_t word : seededPicture(count, seed))
        weights.push_back(scale * (float(int32_t(word % 2001u) - 1000) / 1000.0f));
    return weights;
}

std::vector<float> withCentre(std::vector<float> weights, float centre) {
    weights[weights.size() / 2] = centre;
    return weights;
}

const float FloatNaN = std::numeric_limits<float>::quiet_NaN();
const float FloatInfinity = std::numeric_limits<float>::infinity();

std::vector<KernelCase> kernelCases() {
    return {
        {"box", filled(9, 1.0f), filled(25, 1.0f)},
        {"sharpen", withCentre(filled(9, -1.0f), 9.0f), withCentre(filled(25, -1.0f), 25.0f)},
        {"edge", withCentre(filled(9, -1.0f), 8.0f), withCentre(filled(25, -1.0f), 24.0f)},
        {"sixteenths",
         {0.0625f, 0.125f, 0.0625f, 0.125f, 0.25f, 0.125f, 0.0625f, 0.125f, 0.0625f},
         seededWeights(25, 3, 0.0f)},
        {"ninths", filled(9, 1.0f / 9.0f), filled(25, 0.04f)},
        {"seeded", seededWeights(9, 5, 3.0f), seededWeights(25, 6, 3.0f)},
        {"wide range",
         {1e-30f, 3e7f, -2.5f, 0.1f, 1.0f, -1e-7f, 7.0f, 65536.5f, -3e7f},
         withCentre(seededWeights(25, 8, 1e6f), 1e-20f)},
        {"large integers", withCentre(filled(9, 70000.0f), -65535.0f), withCentre(filled(25, 4096.0f), 1.0f)},
        {"signed zeros",
         {-0.0f, 0.0f, -0.0f, 0.0f, 1.0f, -0.0f, 0.0f, -0.0f, 0.0f},
         withCentre(filled(25, -0.0f), 1.0f)},
        {"not finite",
         {1.0f, FloatNaN, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
         withCentre(filled(25, 0.0f), FloatInfinity)},
    };
}

struct Scaling {
    double divisor, bias;
};
// With the box kernel, single precision misses some channel values for the
// last four: (25, 128) and (0.3, 0.5) only with the plain quotient, (9,
// -1e-7) and (1.1, 0) with its neighbours too.
const Scaling Scalings[] = {{1.0, 0.0},      {9.0, 0.0},       {16.0, 0.5},     {1.0, 128.0},  {-3.0, 10.0},
                            {0.0, 0.0},      {-0.0, 5.0},      {0.000001, 0.0}, {NaN, 0.0},    {1.0, NaN},
                            {Infinity, 3.0}, {7.0, -Infinity}, {2.0, -0.0},     {1e-30, 1e10}, {25.0, 128.0},
                            {0.3, 0.5},      {9.0, -1e-7},     {1.1, 0.0}};

TEST_F(KernelLevels, ConvolutionsForEveryKernelAndScaling) {
    const Shape shapes[] = {{1, 1}, {2, 2}, {1, 7}, {7, 1}, {3, 4}, {6, 5}, {9, 3}, {13, 6}, {18, 4}, {21, 7}};
    uint32_t seed = 100;
    for (const KernelCase &kernelCase : kernelCases())
        for (const Scaling &scaling : Scalings)
            for (int size : {3, 5}) {
                const Shape &shape = shapes[++seed % std::size(shapes)];
                const bool inPlace = seed % 3 == 0;
                expectSameOnEveryLevel(
                    [&] {
                        HostWord source = awkwardBitmap(shape, seed);
                        HostWord destination = inPlace ? source : bitmap(shape.width, shape.height, 0x0u);
                        return called(size == 3 ? "matrix3X3Multiplication" : "matrix5X5Multiplication",
                                      {source, destination,
                                       kernel(size == 3 ? kernelCase.weights3 : kernelCase.weights5),
                                       number(scaling.divisor), number(scaling.bias)},
                                      {source, destination});
                    },
                    std::string(kernelCase.what) + " " + std::to_string(size) + "x" + std::to_string(size) +
                        ", divisor " + std::to_string(scaling.divisor) + ", bias " + std::to_string(scaling.bias) +
                        ", " + nameOf(shape) + (inPlace ? " in place" : ""));
            }
}

TEST_F(KernelLevels, ConvolutionsOnEveryAwkwardShape) {
    std::vector<Shape> shapes(std::begin(Shapes), std::end(Shapes));
    // Several strips of columns, the last one partly covered.
    shapes.insert(shapes.end(), {{271, 3}, {529, 2}});
    for (const Shape &shape : shapes)
        for (int size : {3, 5})
            for (bool smallIntegers : {false, true})
                for (bool inPlace : {false, true})
                    expectSameOnEveryLevel(
                        [&] {
                            const size_t count = size_t(size * size);
                            const std::vector<float> weights =
                                smallIntegers ? withCentre(filled(count, -1.0f), 3.0f) : seededWeights(count, 9, 2.0f);
                            HostWord source = awkwardBitmap(shape, uint32_t(shape.width * 31 + shape.height));
                            HostWord destination = inPlace ? source : bitmap(shape.width, shape.height, 0x0u);
                            return called(size == 3 ? "matrix3X3Multiplication" : "matrix5X5Multiplication",
                                          {source, destination, kernel(weights), number(3.0), number(1.0)},
                                          {source, destination});
                        },
                        std::to_string(size) + "x" + std::to_string(size) + " " + nameOf(shape) +
                            (smallIntegers ? " small integers" : "") + (inPlace ? " in place" : ""));
}

std::vector<float> gaussian(int size) {
    const float row3[] = {0.27406862f, 0.45186276f, 0.27406862f};
    const float row5[] = {0.05448869f, 0.24420134f, 0.40261995f, 0.24420134f, 0.05448869f};
    std::vector<float> weights;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) weights.push_back(size == 3 ? row3[y] * row3[x] : row5[y] * row5[x]);
    return weights;
}

std::vector<float> withFirstTwo(size_t count, float first, float second) {
    std::vector<float> weights(count, 0.0f);
    weights[0] = first;
    weights[1] = second;
    return weights;
}

// Kernels whose single-precision sums the fast levels take as fused
// multiply-adds, and their neighbours just outside that class, at widths
// of several whole steps and a few columns past them, with every way of
// scaling the sum (divisors that are powers of two, with bias 0 or not;
// other divisors; no usable reciprocal).
TEST_F(KernelLevels, ConvolutionsOfFusedKernelsAndTheirNeighbours) {
    const std::vector<KernelCase> kernels = {
        {"gaussian", gaussian(3), gaussian(5)},
        {"box", filled(9, 1.0f / 9.0f), filled(25, 1.0f / 25.0f)},
        {"tenth and 1000.3", withCentre(filled(9, 0.1f), 1000.3f), withCentre(filled(25, -0.1f), 1000.3f)},
        {"subnormal products", withCentre(filled(9, 1e-40f), 3e-39f), withCentre(filled(25, -7e-45f), 1e-38f)},
        {"opposite 2^121", withFirstTwo(9, -0x1p121f, 0x1p121f), withCentre(filled(25, 0x1p121f), -0x1p122f)},
        {"just inside", withFirstTwo(9, 3.5e13f, 1.0f), withFirstTwo(25, 1.0f, 0x1p-45f)},
        {"just outside", withFirstTwo(9, 3.54e13f, 1.0f), withFirstTwo(25, 1.0f, 0x1p-46f)},
        {"1e-9 and 1", withCentre(filled(9, 1e-9f), 1.0f), withCentre(seededWeights(25, 12, 1.0f), 1e-9f)},
        {"seeded", seededWeights(9, 13, 7.0f), seededWeights(25, 14, 0.3f)},
    };
    const Scaling scalings[] = {{1.0, 0.0},  {4.0, -0.0},    {0.25, 10.0}, {1.0, -50.0},    {3.0, 0.0},
                                {-3.0, 7.5}, {0.0, 0.0},     {NaN, 0.0},   {0.000001, 0.0}, {1e-310, 1.0},
                                {1e300, 0.0}, {1.1, -1e-7}, {0x1p-130, 0.0}, {Infinity, 0.0}};
    const Shape shapes[] = {{32, 3}, {70, 4}, {97, 5}, {300, 2}};
    uint32_t seed = 500;
    for (const KernelCase &kernelCase : kernels)
        for (const Scaling &scaling : scalings)
            for (int size : {3, 5}) {
                const Shape &shape = shapes[++seed % std::size(shapes)];
                expectSameOnEveryLevel(
                    [&] {
                        HostWord source = awkwardBitmap(shape, seed);
                        HostWord destination = bitmap(shape.width, shape.height, 0x0u);
                        return called(size == 3 ? "matrix3X3Multiplication" : "matrix5X5Multiplication",
                                      {source, destination,
                                       kernel(size == 3 ? kernelCase.weights3 : kernelCase.weights5),
                                       number(scaling.divisor), number(scaling.bias)},
                                      {destination});
                    },
                    std::string(kernelCase.what) + " " + std::to_string(size) + "x" + std::to_string(size) +
                        ", divisor " + std::to_string(scaling.divisor) + ", bias " + std::to_string(scaling.bias) +
                        ", " + nameOf(shape));
            }
}

// Kernels where summing or scaling any other way gives other words, on
// channels of 205 (39 for the last): a fused single-precision chain rounds
// 205 x 5237765 x 2^-27 + 205 x 2^20 to 214958096 (FF606060) where the
// steps give 214958080; weights that cancel would hide the first step's
// overflow to infinity (FF646464); and 39 / 1.3 is 30, where 39 times the
// reciprocal of 1.3 gives 29.999999999999996 (FF1D1D1D).
TEST_F(KernelLevels, ConvolutionsWhoseSumsOnlyTheStepsGive) {
    struct Case {
        const char *what;
        std::vector<float> weights;
        uint32_t channels;
        double divisor, bias;
        uint32_t expected;
    };
    std::vector<float> cancelling(9, 0.0f);
    cancelling[0] = 65.0f, cancelling[2] = -65.0f, cancelling[4] = 1.0f;
    const Case cases[] = {
        {"rounded at the second step", withFirstTwo(9, 5237765 * 0x1p-27f, 0x1p20f), 0xFFCDCDCDu, 1.0, -214958000.0,
         0xFF505050u},
        {"overflow at the first step", withFirstTwo(9, -0x1p121f, 0x1p121f), 0xFFCDCDCDu, 1.0, 100.0, 0xFF000001u},
        {"divided by 1.3", cancelling, 0xFF272727u, 1.3, 0.0, 0xFF1E1E1Eu},
    };
    for (const Case &c : cases)
        for (int level : {0, 1, 2, 3}) {
            Outcome outcome;
            if (!runAt(level,
                       [&] {
                           HostWord source = bitmap(40, 3, c.channels);
                           HostWord destination = bitmap(40, 3, 0x0u);
                           return called("matrix3X3Multiplication",
                                         {source, destination, kernel(c.weights), number(c.divisor), number(c.bias)},
                                         {destination});
                       },
                       outcome))
                continue;
            EXPECT_EQ(outcome, Outcome{std::vector<uint32_t>(120, c.expected)}) << c.what << ", level " << level;
        }
}

// Each effect twice on the same thread, then oldColorTV on three pixels
// (too few for any vector kernel): the second call and the probe show where
// the first left the random sequence.
TEST_F(KernelLevels, RandomEffectsDrawTheSameSequenceAndLeaveItAtTheSamePlace) {
    const std::vector<std::pair<const char *, std::vector<double>>> effects = {
        {"oldBWTV", {}}, {"oldColorTV", {}}, {"melt", {1.0}},  {"melt", {0.37}},
        {"melt", {3.0}}, {"melt", {NaN}},    {"melt", {-2.0}}, {"melt", {Infinity}}};
    for (const auto &effect : effects)
        for (size_t s = 0; s + 1 < std::size(Shapes); ++s)
            expectSameOnEveryLevel(
                [&] {
                    const Shape shapes[] = {Shapes[s], Shapes[s + 1]};
                    std::vector<HostWord> written;
                    for (const Shape &shape : shapes) {
                        HostWord picture = awkwardBitmap(shape, uint32_t(s) + 40);
                        std::vector<HostWord> arguments = {picture};
                        for (double value : effect.second) arguments.push_back(number(value));
                        call(effect.first, arguments);
                        EXPECT_TRUE(answeredReceiver()) << effect.first;
                        written.push_back(picture);
                    }
                    HostWord probe = bitmap(3, 1, {0xFF808080u, 0xFF404040u, 0xFFC0C0C0u});
                    written.push_back(probe);
                    return called("oldColorTV", {probe}, written);
                },
                std::string(effect.first) + " on " + nameOf(Shapes[s]) + " then " + nameOf(Shapes[s + 1]));
}

} // namespace
} // namespace mardolin_test
