// 3x3 and 5x5 convolution: worked pixels, the single-precision sum and its
// order, the border rule, and a destination that is the source itself,
// checked against a direct reference written here.
#include "mardolin_test.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace mardolin_test {
namespace {

int32_t channelOf(uint32_t pixel, int channel) {
    if (channel == 2) return (pixel & 0xFF) == 1 ? 0 : int32_t(pixel & 0xFF);
    return int32_t((pixel >> (16 - 8 * channel)) & 0xFF);
}

int32_t truncatedToWord(double value) {
    if (!(std::fabs(value) < 9223372036854775808.0)) return 0;
    return int32_t(uint32_t(uint64_t(int64_t(value))));
}

// The filter as plainly as it can be said. With inPlace, the picture is
// both the source and the destination.
std::vector<uint32_t> referenceConvolution(const std::vector<uint32_t> &source, bool inPlace, int width, int height,
                                           const std::vector<float> &weights, double divisor, double bias) {
    const int size = weights.size() == 25 ? 5 : 3, reach = size / 2;
    std::vector<uint32_t> in = source, out = source;
    std::vector<uint32_t> &written = inPlace ? in : out;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            std::vector<uint32_t> neighbours;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int column = std::clamp(x + dx, 0, width - 1), row = std::clamp(y + dy, 0, height - 1);
                    neighbours.push_back(in[size_t(row) * width + column]);
                }
            int32_t value[3];
            for (int c = 0; c < 3; ++c) {
                float sum = float(double(channelOf(neighbours[1], c)) * weights[1]);
                sum = float(double(channelOf(neighbours[0], c)) * weights[0] + double(sum));
                for (size_t k = 2; k < weights.size(); ++k)
                    sum = float(double(channelOf(neighbours[k], c)) * weights[k] + double(sum));
                value[c] = truncatedToWord((double(sum) + bias) / divisor);
            }
            uint32_t word = OpaqueBlack;
            if (value[0] > 0 || value[1] > 0 || value[2] > 0)
                word = 0xFF000000u | uint32_t(std::clamp(value[0], 0, 255)) << 16 |
                       uint32_t(std::clamp(value[1], 0, 255)) << 8 | uint32_t(std::clamp(value[2], 0, 255));
            written[size_t(y) * width + x] = word;
        }
    return written;
}

std::vector<float> identityKernel(int size) {
    std::vector<float> weights(size_t(size * size), 0.0f);
    weights[weights.size() / 2] = 1.0f;
    return weights;
}

std::vector<float> onlyElement(int size, int element) {
    std::vector<float> weights(size_t(size * size), 0.0f);
    weights[size_t(element)] = 1.0f;
    return weights;
}

const char *primitiveFor(const std::vector<float> &weights) {
    return weights.size() == 25 ? "matrix5X5Multiplication" : "matrix3X3Multiplication";
}

class Convolution : public MardolinTest {
  protected:
    std::vector<uint32_t> convolved(int width, int height, const std::vector<uint32_t> &source,
                                    const std::vector<float> &weights, double divisor, double bias) {
        HostWord destination = bitmap(width, height, 0xDEADBEEFu);
        HostWord sourceBitmap = bitmap(width, height, source);
        call(primitiveFor(weights), {sourceBitmap, destination, kernel(weights), number(divisor), number(bias)});
        EXPECT_TRUE(answeredReceiver());
        EXPECT_EQ(pixelsOf(sourceBitmap), source) << "the source is only read";
        return pixelsOf(destination);
    }
    std::vector<uint32_t> convolvedInPlace(int width, int height, const std::vector<uint32_t> &source,
                                           const std::vector<float> &weights, double divisor, double bias) {
        HostWord picture = bitmap(width, height, source);
        call(primitiveFor(weights), {picture, picture, kernel(weights), number(divisor), number(bias)});
        EXPECT_TRUE(answeredReceiver());
        return pixelsOf(picture);
    }
};

TEST_F(Convolution, WorkedPixels) {
    const std::vector<uint32_t> mixed = {0x00102001, 0x00000000, 0x7F000001, 0x12345678, 0xFFFFFFFF, 0x01000000};
    const std::vector<uint32_t> uniform(6, 0x11223344);
    const std::vector<uint32_t> white(6, 0xFFFFFFFF);
    const std::vector<float> ones3(9, 1.0f), ones5(25, 1.0f), zeros3(9, 0.0f);
    struct Case {
        const char *what;
        std::vector<uint32_t> source;
        std::vector<float> weights;
        double divisor, bias;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"3x3 identity sets alpha, reads a blue 1 as 0, writes black as 0xFF000001",
         mixed,
         identityKernel(3),
         1,
         0,
         {0xFF102000, OpaqueBlack, OpaqueBlack, 0xFF345678, OpaqueWhite, OpaqueBlack}},
        {"5x5 identity",
         mixed,
         identityKernel(5),
         1,
         0,
         {0xFF102000, OpaqueBlack, OpaqueBlack, 0xFF345678, OpaqueWhite, OpaqueBlack}},
        {"3x3 box over a uniform picture", uniform, ones3, 9, 0, std::vector<uint32_t>(6, 0xFF223344)},
        {"5x5 box over a uniform picture", uniform, ones5, 25, 0, std::vector<uint32_t>(6, 0xFF223344)},
        {"zero weights with bias 255 give white", mixed, zeros3, 1, 255, std::vector<uint32_t>(6, OpaqueWhite)},
        {"bias beyond 255 clamps", mixed, identityKernel(3), 1, 1000, std::vector<uint32_t>(6, OpaqueWhite)},
        {"divisor 0 gives black", white, ones3, 0, 0, std::vector<uint32_t>(6, OpaqueBlack)},
        {"a negative divisor gives black", white, ones3, -9, 10, std::vector<uint32_t>(6, OpaqueBlack)},
        // 2295 / 0.000001 = 2295000000, whose low 32 bits read negative.
        {"a quotient beyond 32 bits keeps its low bits", white, ones3, 0.000001, 0,
         std::vector<uint32_t>(6, OpaqueBlack)},
        {"one channel above 0 keeps the word out of black, the others clamp to 0",
         {0xFF0A0B1C},
         identityKernel(3),
         1,
         -11,
         {0xFF000011}},
        {"channels 0, 0, 1 are the same word as black", {0xFF0A0A0B}, identityKernel(3), 1, -10, {0xFF000001}},
        {"negative channels clamp to 0", {0xFF0A1020}, identityKernel(3), 1, -12, {0xFF000414}},
    };
    for (const Case &c : cases) {
        const int width = c.source.size() == 1 ? 1 : 3, height = int(c.source.size()) / width;
        EXPECT_EQ(convolved(width, height, c.source, c.weights, c.divisor, c.bias), c.expected) << c.what;
    }
}

// Element 0 weights the upper left neighbour (no mirroring), element 8 the
// lower right; beyond the border the nearest border pixel stands in.
TEST_F(Convolution, KernelOrientationAndBorder) {
    // p(x, y) = 0xFF0000yx in a 3 x 3 picture.
    std::vector<uint32_t> source;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 3; ++x) source.push_back(0xFF000000u | (y + 1) << 4 | (x + 1));
    auto p = [&](int x, int y) { return source[size_t(y) * 3 + size_t(x)]; };
    const std::vector<uint32_t> upperLeft = {p(0, 0), p(0, 0), p(1, 0), p(0, 0), p(0, 0),
                                             p(1, 0), p(0, 1), p(0, 1), p(1, 1)};
    const std::vector<uint32_t> lowerRight = {p(1, 1), p(2, 1), p(2, 1), p(1, 2), p(2, 2),
                                              p(2, 2), p(1, 2), p(2, 2), p(2, 2)};
    // 5x5 element 1 weights (x - 1, y - 2).
    const std::vector<uint32_t> oneLeftTwoUp = {p(0, 0), p(0, 0), p(1, 0), p(0, 0), p(0, 0),
                                                p(1, 0), p(0, 0), p(0, 0), p(1, 0)};
    EXPECT_EQ(convolved(3, 3, source, onlyElement(3, 0), 1, 0), upperLeft);
    EXPECT_EQ(convolved(3, 3, source, onlyElement(3, 8), 1, 0), lowerRight);
    EXPECT_EQ(convolved(3, 3, source, onlyElement(5, 1), 1, 0), oneLeftTwoUp);
    EXPECT_EQ(convolved(3, 3, source, onlyElement(5, 24), 1, 0), std::vector<uint32_t>(9, p(2, 2)));
}

// On a 1x1 white picture every neighbour is the pixel, so each channel's sum
// runs 255 through every weight. The bias takes away all but the last bits
// of the sum and the divisor magnifies them.
TEST_F(Convolution, SingleSumRoundsEveryStepStartingWithElementOne) {
    struct Case {
        const char *what;
        std::vector<float> weights;
        double divisor, bias;
    };
    const Case cases[] = {
        // 111.56251525878906 this way; 111.56250762939453 with element 0
        // first, or with the whole sum kept in double.
        {"element 1 first, then element 0", {0.25f, 0.18750004470348358f}, std::ldexp(1.0, -17), -111.5625},
        // 318.5084533691406 this way; 318.5084228515625 when the product is
        // rounded to single precision before it is added.
        {"each product is added in double",
         {1.0f, 0.0f, 0.24905270338058472f},
         std::ldexp(1.0, -16),
         -318.5084228515625},
    };
    for (const Case &c : cases) {
        std::vector<float> weights = c.weights;
        weights.resize(9, 0.0f);
        EXPECT_EQ(convolved(1, 1, {0xFFFFFFFF}, weights, c.divisor, c.bias), std::vector<uint32_t>{0xFF020202})
            << c.what;
    }
}

class ConvolutionAgainstReference : public Convolution, public ::testing::WithParamInterface<int> {
  protected:
    std::mt19937 random{20030516};
    std::vector<uint32_t> randomPicture(int width, int height) {
        std::vector<uint32_t> pixels(size_t(width) * size_t(height));
        for (uint32_t &pixel : pixels) pixel = random();
        return pixels;
    }
    // Weights with full mantissas, so every rounding step shows.
    std::vector<float> randomWeights(int size) {
        std::vector<float> weights(size_t(size * size));
        for (float &weight : weights) weight = float(int(random() % 2001) - 1000) / 997.0f;
        return weights;
    }
};

TEST_P(ConvolutionAgainstReference, SeparateDestination) {
    const int size = GetParam();
    const std::pair<int, int> shapes[] = {{7, 5}, {1, 6}, {6, 1}, {1, 1}, {2, 9}};
    for (const auto &shape : shapes) {
        const std::vector<uint32_t> source = randomPicture(shape.first, shape.second);
        const std::vector<float> weights = randomWeights(size);
        EXPECT_EQ(convolved(shape.first, shape.second, source, weights, 1.37, 40.25),
                  referenceConvolution(source, false, shape.first, shape.second, weights, 1.37, 40.25))
            << shape.first << "x" << shape.second;
    }
}

// Written pixels feed later ones: the columns to the left and the rows above
// in the same column take part with their new values.
TEST_P(ConvolutionAgainstReference, DestinationIsTheSource) {
    const int size = GetParam();
    const std::vector<uint32_t> source = randomPicture(6, 5);
    std::vector<float> weights(size_t(size * size), 1.0f);
    const double divisor = size * size;
    const std::vector<uint32_t> inPlace = convolvedInPlace(6, 5, source, weights, divisor, 0);
    EXPECT_EQ(inPlace, referenceConvolution(source, true, 6, 5, weights, divisor, 0));
    EXPECT_NE(inPlace, referenceConvolution(source, false, 6, 5, weights, divisor, 0));

    const std::vector<float> mixed = randomWeights(size);
    EXPECT_EQ(convolvedInPlace(6, 5, source, mixed, -0.9, 120),
              referenceConvolution(source, true, 6, 5, mixed, -0.9, 120));
}

INSTANTIATE_TEST_SUITE_P(BothSizes, ConvolutionAgainstReference, ::testing::Values(3, 5),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::to_string(info.param) + "x" + std::to_string(info.param);
                         });

TEST_F(Convolution, KernelsOfTheWrongKindOrSizeFailWithTheDestinationUnchanged) {
    struct Case {
        const char *what;
        const char *primitive;
        HostWord kernel;
    };
    const Case cases[] = {
        {"8 words", "matrix3X3Multiplication", kernel(std::vector<float>(8, 1.0f))},
        {"10 words", "matrix3X3Multiplication", kernel(std::vector<float>(10, 1.0f))},
        {"25 words for 3x3", "matrix3X3Multiplication", kernel(std::vector<float>(25, 1.0f))},
        {"9 words for 5x5", "matrix5X5Multiplication", kernel(std::vector<float>(9, 1.0f))},
        {"24 words for 5x5", "matrix5X5Multiplication", kernel(std::vector<float>(24, 1.0f))},
        {"9 object pointers", "matrix3X3Multiplication", om.newPointers(9)},
        {"25 object pointers", "matrix5X5Multiplication", om.newPointers(25)},
        {"a SmallInteger", "matrix3X3Multiplication", integer(9)},
        {"a Float", "matrix5X5Multiplication", number(25)},
    };
    for (const Case &c : cases) {
        HostWord source = bitmap(3, 2, 0xFF808080u), destination = bitmap(3, 2, 0x12345678u);
        call(c.primitive, {source, destination, c.kernel, number(1), number(0)});
        EXPECT_TRUE(failedCleanly()) << c.what;
        EXPECT_EQ(pixelsOf(destination), std::vector<uint32_t>(6, 0x12345678u)) << c.what;
    }
}

TEST_F(Convolution, DestinationOfAnotherShapeButTheRightCountIsAccepted) {
    const std::vector<uint32_t> source = {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112};
    HostWord destination = om.newBitmapWithSlots(om.newWords(6), integer(1), integer(6), integer(32));
    call("matrix3X3Multiplication",
         {bitmap(3, 2, source), destination, kernel(identityKernel(3)), number(1), number(0)});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(destination), source);
}

} // namespace
} // namespace mardolin_test
