// Melt and the old-television effects. Each call runs on a fresh thread, so
// the plug-in's random sequence starts at its beginning; a probe after it
// (oldColorTV over mid-grey pixels) tells how many draws the call took.
#include "mardolin_test.h"
#include "reference_sequence.h"
#include "test_pictures.h"

#include <algorithm>
#include <limits>

namespace mardolin_test {
namespace {

// FNV-1a over the words.
uint64_t checksumOf(const std::vector<uint32_t> &words) {
    uint64_t hash = 14695981039346656037u;
    for (uint32_t word : words) hash = (hash ^ word) * 1099511628211u;
    return hash;
}

bool allOpaque(const std::vector<uint32_t> &words) {
    for (uint32_t word : words)
        if (word >> 24 != 0xFF) return false;
    return true;
}

class RandomEffects : public MardolinTest {
  protected:
    // Runs effect on a fresh thread, then the probe on the same thread;
    // answers the probe's words.
    std::vector<uint32_t> probeAfter(const std::function<void()> &effect) {
        HostWord probe = bitmap(16, 1, probePixels());
        onFreshThread([&] {
            effect();
            call("oldColorTV", {probe});
        });
        return pixelsOf(probe);
    }
    // Expects the probe to show exactly `draws` draws taken before it.
    void expectDraws(const std::vector<uint32_t> &probed, uint64_t draws, const std::string &what) {
        EXPECT_EQ(probed, colorTVAfter(draws, probePixels())) << what << ": not " << draws << " draws";
        for (uint64_t other : {draws + 1, draws > 0 ? draws - 1 : draws + 2})
            ASSERT_NE(colorTVAfter(other, probePixels()), colorTVAfter(draws, probePixels())) << "weak probe";
    }
    void meltOnce(HostWord picture, double amount) {
        call("melt", {picture, number(amount)});
        EXPECT_TRUE(answeredReceiver());
    }
};

TEST_F(RandomEffects, AFreshThreadDraws41Then18467Then6334) {
    ReferenceSequence sequence;
    ASSERT_EQ(sequence.nextDraw(), 41);
    ASSERT_EQ(sequence.nextDraw(), 18467);
    ASSERT_EQ(sequence.nextDraw(), 6334);
    // The draws scale to channel thresholds 0, 143 and 49: a channel is
    // switched on only above its threshold.
    struct Case {
        uint32_t pixel, expected;
    };
    for (const Case &c : {Case{0xFF019032, OpaqueWhite}, Case{0xFF008F31, OpaqueBlack}, Case{0xFF018F32, 0xFFFF00FF}}) {
        HostWord picture = bitmap(1, 1, {c.pixel});
        callOnFreshThread("oldColorTV", {picture});
        EXPECT_TRUE(answeredReceiver());
        EXPECT_EQ(pixelsOf(picture), std::vector<uint32_t>{c.expected}) << std::hex << c.pixel;
    }
}

TEST_F(RandomEffects, EachThreadHasItsOwnSequence) {
    HostWord first = bitmap(16, 1, probePixels()), second = bitmap(16, 1, probePixels());
    onFreshThread([&] { call("oldColorTV", {first}); });
    onFreshThread([&] { call("oldColorTV", {second}); });
    EXPECT_EQ(pixelsOf(first), colorTVAfter(0, probePixels()));
    EXPECT_EQ(pixelsOf(second), colorTVAfter(0, probePixels()));
}

// (width x amount) x height, in double: 3 x 1.4 = 4.199999999999999, times
// 5 = 20.999999999999996, so 20 attempts, not 21.
TEST_F(RandomEffects, MeltTakesOneDrawPerAttempt) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int width, height;
        double amount;
        uint64_t draws;
    };
    const Case cases[] = {{3, 5, 1.4, 20}, {4, 3, 0.5, 6}, {3, 5, 0.01, 0}, {3, 5, 0.0, 0}, {3, 5, -2.0, 0},
                          {3, 5, NaN, 0},  {0, 5, 9.0, 0}, {4, 0, 9.0, 0},  {1, 2, 3.0, 6}};
    for (const Case &c : cases) {
        HostWord picture = bitmap(c.width, c.height, 0xFF808080u);
        const auto probed = probeAfter([&] { meltOnce(picture, c.amount); });
        expectDraws(probed, c.draws,
                    "melt " + std::to_string(c.width) + "x" + std::to_string(c.height) + " by " +
                        std::to_string(c.amount));
    }
}

// One row has no vertically adjacent pair: the picture stays, no draw is
// taken, and the receiver is answered.
TEST_F(RandomEffects, MeltLeavesASingleRowAlone) {
    const std::vector<uint32_t> row = {0xFFFFFFFF, 0xFF000000, 0xFF808080, 0x00000001, 0xFF102030};
    for (int width : {1, 5}) {
        std::vector<uint32_t> pixels(row.begin(), row.begin() + width);
        HostWord picture = bitmap(width, 1, pixels);
        const auto probed = probeAfter([&] { meltOnce(picture, 40.0); });
        expectDraws(probed, 0, "one row of " + std::to_string(width));
        EXPECT_EQ(pixelsOf(picture), pixels);
    }
}

TEST_F(RandomEffects, MeltSinksTheBrighterOfTheOnlyPair) {
    for (double amount : {0.5, 10.0}) {
        HostWord picture = bitmap(1, 2, {0xFFFFFFFF, 0xFF000000});
        onFreshThread([&] { meltOnce(picture, amount); });
        EXPECT_EQ(pixelsOf(picture), (std::vector<uint32_t>{0xFF000000, 0xFFFFFFFF})) << "amount " << amount;
    }
}

TEST_F(RandomEffects, MeltNeverExchangesEqualLuminancesOrAnOrderedPicture) {
    // Pairs of equal luminance: alpha differs, or a blue byte of 1 against 0.
    std::vector<uint32_t> equal, ordered;
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 4; ++x) {
            const bool odd = (x + y) % 2 != 0;
            equal.push_back(x < 2 ? (odd ? 0x00808080u : 0xFF808080u) : (odd ? 0xFF000001u : 0x00000000u));
            ordered.push_back(0xFF000000u | (y * 40 + x) * 0x010101u);
        }
    for (const auto &pixels : {equal, ordered}) {
        HostWord picture = bitmap(4, 6, pixels);
        onFreshThread([&] { meltOnce(picture, 25.0); });
        EXPECT_EQ(pixelsOf(picture), pixels);
    }
}

TEST_F(RandomEffects, OldBWTVTakesOneDrawPerPixelAndKeepsBlackBlack) {
    const std::vector<uint32_t> black = {0xFF000000, 0x00000001, 0x12000001, 0x00000000,
                                         0x7F000000, 0xFF000001, 0x01000000};
    HostWord picture = bitmap(7, 1, black);
    const auto probed = probeAfter([&] {
        call("oldBWTV", {picture});
        EXPECT_TRUE(answeredReceiver());
    });
    expectDraws(probed, 7, "oldBWTV over 7 pixels");
    EXPECT_EQ(pixelsOf(picture), std::vector<uint32_t>(7, OpaqueBlack));
}

// Luminance 0 is never above a draw, not even the draw 0.
TEST_F(RandomEffects, OldBWTVTurnsLuminanceZeroBlackWhateverTheDraw) {
    const size_t count = 40000;
    ReferenceSequence sequence;
    bool drawsZero = false;
    for (size_t i = 0; i < count; ++i) drawsZero = drawsZero || sequence.nextDraw() == 0;
    ASSERT_TRUE(drawsZero) << "the sequence never draws 0";
    std::vector<uint32_t> black(count);
    for (size_t i = 0; i < count; ++i) black[i] = i % 3 == 0 ? 0x00000001u : i % 3 == 1 ? 0xFF000000u : 0x00000000u;
    HostWord picture = bitmap(200, 200, black);
    callOnFreshThread("oldBWTV", {picture});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(picture), std::vector<uint32_t>(count, OpaqueBlack));
}

// White has luminance 0.99609375: it stays white unless its draw reaches that.
TEST_F(RandomEffects, OldBWTVKeepsWhiteWhiteBelowItsLuminance) {
    const size_t count = 40000;
    ReferenceSequence sequence;
    std::vector<uint32_t> expected(count);
    for (uint32_t &word : expected) word = sequence.nextUnit() < 0.99609375 ? OpaqueWhite : OpaqueBlack;
    ASSERT_NE(std::count(expected.begin(), expected.end(), OpaqueBlack), 0) << "no draw reaches the luminance";
    HostWord picture = bitmap(200, 200, 0xFFFFFFFFu);
    callOnFreshThread("oldBWTV", {picture});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(picture), expected);
}

TEST_F(RandomEffects, OldColorTVTakesThreeDrawsPerPixelAndNeverLightsAChannelOfZero) {
    HostWord picture = bitmap(5, 1, {0xFF000000, 0x00000001, 0xFF000001, 0x00000000, 0x55000000});
    const auto probed = probeAfter([&] {
        call("oldColorTV", {picture});
        EXPECT_TRUE(answeredReceiver());
    });
    expectDraws(probed, 15, "oldColorTV over 5 pixels");
    EXPECT_EQ(pixelsOf(picture), std::vector<uint32_t>(5, OpaqueBlack));
}

// A channel of 255 goes dark only on the draw 32767, which scales to exactly
// 1.0 and so to 255.
TEST_F(RandomEffects, OldColorTVLightsAFullChannelUnlessTheDrawIsExactlyOne) {
    const size_t count = 20000;
    ReferenceSequence sequence;
    std::vector<uint32_t> expected(count, 0xFF000000u);
    bool anyDark = false;
    for (uint32_t &word : expected) {
        for (int channel = 0; channel < 3; ++channel) {
            if (sequence.nextDraw() == 32767)
                anyDark = true;
            else
                word |= 0xFFu << (16 - 8 * channel);
        }
    }
    ASSERT_TRUE(anyDark) << "the sequence never reaches 32767";
    HostWord picture = bitmap(100, 200, 0xFFFFFFFFu);
    callOnFreshThread("oldColorTV", {picture});
    EXPECT_TRUE(answeredReceiver());
    EXPECT_EQ(pixelsOf(picture), expected);
}

// Stored results on a seeded picture catch any drift in the arithmetic or in
// the order of the draws. The melt makes 42550 attempts, enough to reach the
// draw 32767 and with it the last pair of the range.
TEST_F(RandomEffects, SeededPicturesGiveTheStoredResults) {
    const int width = 37, height = 23;
    const std::vector<uint32_t> source = seededPicture(size_t(width) * height, 20030516);
    ASSERT_EQ(checksumOf(source), 0xD6C2C5394A04A2B6u) << "the test picture itself changed";
    struct Case {
        const char *primitive;
        std::vector<double> floats;
        uint64_t checksum;
        bool opaque;
    };
    const Case cases[] = {
        {"melt", {50.0}, 0x205C0A77DC3262C6u, false},
        {"oldBWTV", {}, 0x749FAC4CC6A5A4F2u, true},
        {"oldColorTV", {}, 0x3D61FAC7716F6B37u, true},
    };
    for (const Case &c : cases) {
        HostWord picture = bitmap(width, height, source);
        std::vector<HostWord> arguments = {picture};
        for (double value : c.floats) arguments.push_back(number(value));
        callOnFreshThread(c.primitive, arguments);
        EXPECT_TRUE(answeredReceiver()) << c.primitive;
        const std::vector<uint32_t> result = pixelsOf(picture);
        EXPECT_EQ(checksumOf(result), c.checksum) << c.primitive;
        EXPECT_TRUE(!c.opaque || allOpaque(result)) << c.primitive << " leaves alpha below 255";
    }
}

} // namespace
} // namespace mardolin_test
