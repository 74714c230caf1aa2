// Background subtraction: the frame's word where it differs from the
// background by more than the threshold, else the transparent 0.
#include "mardolin_test.h"

#include <limits>

namespace mardolin_test {
namespace {

class BackgroundSubtraction : public MardolinTest {
  protected:
    std::vector<uint32_t> subtracted(const std::vector<uint32_t> &frame, const std::vector<uint32_t> &background,
                                     double threshold) {
        const int width = int(frame.size());
        HostWord output = bitmap(width, 1, 0xDEADBEEFu);
        call("backgroundSubstraction",
             {bitmap(width, 1, frame), bitmap(width, 1, background), output, number(threshold)});
        EXPECT_TRUE(answeredReceiver());
        return pixelsOf(output);
    }
};

// One channel step apart: the distance is exactly the double nearest 1/768.
constexpr double OneStep = 0.0013020833333333333;

TEST_F(BackgroundSubtraction, ThresholdDecidesWordByWord) {
    const std::vector<uint32_t> frame = {0x12345678, 0xFF000000, 0xFFFFFFFF, 0x00102000,
                                         0x80102001, 0xFF101010, 0xFF808080};
    const std::vector<uint32_t> background = {0x12345678, 0xFFFFFFFF, 0xFF000000, 0xFF102000,
                                              0x80102000, 0xFF101011, 0xFF808180};
    struct Case {
        const char *what;
        double threshold;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"below 0 copies the frame whole", -1e-300, frame},
        {"0 copies where a colour differs; alpha and a blue 1 against 0 do not count",
         0.0,
         {0, 0xFF000000, 0xFFFFFFFF, 0, 0, 0xFF101010, 0xFF808080}},
        {"-0.0 acts as 0", -0.0, {0, 0xFF000000, 0xFFFFFFFF, 0, 0, 0xFF101010, 0xFF808080}},
        {"a distance equal to the threshold gives 0", OneStep, {0, 0xFF000000, 0xFFFFFFFF, 0, 0, 0, 0}},
        {"just below one step keeps single steps", 0.0013, {0, 0xFF000000, 0xFFFFFFFF, 0, 0, 0xFF101010, 0xFF808080}},
        {"0.99609375, the largest distance, gives all 0", 0.99609375, {0, 0, 0, 0, 0, 0, 0}},
        {"above the largest distance gives all 0", 2.0, {0, 0, 0, 0, 0, 0, 0}},
        {"NaN compares false everywhere", std::numeric_limits<double>::quiet_NaN(), {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) EXPECT_EQ(subtracted(frame, background, c.threshold), c.expected) << c.what;
}

TEST_F(BackgroundSubtraction, DistanceSumsTheThreeChannelDifferences) {
    // |0x30 - 0x10| + |0x10 - 0x30| + |0x05 - 0x06| = 65 steps.
    const std::vector<uint32_t> frame = {0xFF301005}, background = {0x00103006};
    EXPECT_EQ(subtracted(frame, background, 64.5 * OneStep), frame);
    EXPECT_EQ(subtracted(frame, background, 65 * OneStep), std::vector<uint32_t>{0});
}

// The output may be the frame or the background object itself: each index
// reads both inputs before it writes.
TEST_F(BackgroundSubtraction, OutputMayBeAnInput) {
    const std::vector<uint32_t> frame = {0xFF000000, 0xFF102030, 0xFF102031, 0x00FFFFFF, 0xFFFFFFFF, 0xFF7F7F7F};
    const std::vector<uint32_t> background = {0xFF000000, 0xFF112030, 0xFF102032, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
    const double threshold = 2.5 * OneStep;
    const std::vector<uint32_t> expected = {0, 0, 0, 0, 0xFFFFFFFF, 0xFF7F7F7F};
    ASSERT_EQ(subtracted(frame, background, threshold), expected);

    HostWord frameBitmap = bitmap(3, 2, frame), backgroundBitmap = bitmap(3, 2, background);
    call("backgroundSubstraction", {frameBitmap, backgroundBitmap, frameBitmap, number(threshold)});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(frameBitmap), expected) << "output is the frame";

    frameBitmap = bitmap(3, 2, frame);
    backgroundBitmap = bitmap(3, 2, background);
    call("backgroundSubstraction", {frameBitmap, backgroundBitmap, backgroundBitmap, number(threshold)});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(backgroundBitmap), expected) << "output is the background";
    EXPECT_EQ(pixelsOf(frameBitmap), frame) << "the frame is only read";
}

TEST_F(BackgroundSubtraction, OnlyTheFramesShapeCounts) {
    const std::vector<uint32_t> frame = {1, 0xFF00FF00, 3, 4, 5, 0xFFFF0000};
    HostWord output = om.newBitmapWithSlots(om.newWords(6), integer(6), integer(1), integer(32));
    HostWord background =
        om.newBitmapWithSlots(om.newWords(std::vector<uint32_t>(6, 0xFF000000)), integer(1), integer(6), integer(32));
    call("backgroundSubstraction", {bitmap(2, 3, frame), background, output, number(0.0)});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(output), (std::vector<uint32_t>{0, 0xFF00FF00, 3, 4, 5, 0xFFFF0000}));
}

} // namespace
} // namespace mardolin_test
