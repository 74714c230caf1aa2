// The kept frame converted into host bitmaps of depth 32 and 16: the
// worked values, the row order and stride, and the size checks.
#include "capture_fixture.h"
#include "frame_conversion.h"

namespace capturetest {
namespace {

using testplatform::Bgr;
using testplatform::Frame;

uint32_t word32Of(const Bgr &p) { return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

uint32_t pixel15Of(const Bgr &p) {
    const uint32_t packed = uint32_t(p[2] >> 3) << 10 | uint32_t(p[1] >> 3) << 5 | uint32_t(p[0] >> 3);
    return packed == 0 ? 1u : packed;
}

// Seeded pixels, every fifth darker than 8 in all three channels, so
// packing to 0 at depth 16.
std::vector<Bgr> seededPixels(size_t count, uint32_t seed) {
    std::vector<Bgr> pixels;
    for (size_t i = 0; i < count; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const uint32_t limit = i % 5 == 0 ? 7 : 255;
        pixels.push_back(Bgr{uint8_t((seed & 0xFF) & limit), uint8_t((seed >> 8 & 0xFF) & limit),
                             uint8_t((seed >> 16 & 0xFF) & limit)});
    }
    return pixels;
}

// One row's words at depth 32 and 16, pixel by pixel.
std::vector<uint32_t> expected32Of(const Bgr *row, int width) {
    std::vector<uint32_t> words;
    for (int x = 0; x < width; ++x) words.push_back(word32Of(row[x]));
    return words;
}

std::vector<uint32_t> expected16Of(const Bgr *row, int width) {
    std::vector<uint32_t> words;
    for (int x = 0; x < width; x += 2)
        words.push_back(pixel15Of(row[x]) << 16 | pixel15Of(row[x + 1 < width ? x + 1 : x]));
    return words;
}

// Keeps one frame of the given size, delivered through the grabber.
class ConversionTest : public CaptureTest {
protected:
    void keep(int width, int height, const std::function<Bgr(int x, int y)> &pixelAt) {
        Script script;
        script.connectedWidth = width;
        script.connectedHeight = height;
        startRunningDecoder(script);
        capture(testplatform::rgb24Frame(width, height, 1.0, pixelAt));
    }
    void keep(int width, const std::vector<Bgr> &row) {
        keep(width, 1, [&](int x, int) { return row[size_t(x)]; });
    }
    std::vector<uint32_t> converted(int width, int height, int depth, uint32_t fill = 0) {
        HostWord bitmap = om.newBitmap(width, height, depth, fill);
        EXPECT_TRUE(copyInto(bitmap));
        return wordsOf(bitmap);
    }
};

TEST_F(ConversionTest, WorkedValuesAtDepth32) {
    keep(2, {{0x10, 0x20, 0x30}, {0, 0, 0}});
    EXPECT_EQ(converted(2, 1, 32), (std::vector<uint32_t>{0xFF302010, 0xFF000000}));
}

TEST_F(ConversionTest, WorkedValuesAtDepth16) {
    keep(2, {{0x10, 0x20, 0x30}, {0, 0, 0}});
    EXPECT_EQ(converted(2, 1, 16), std::vector<uint32_t>{0x18820001});
}

// Black is written as 1, never as the transparent 0.
TEST_F(ConversionTest, FifteenBitPixelsAreNeverZero) {
    keep(6, {{7, 7, 7}, {8, 0, 0}, {0, 0, 8}, {255, 255, 255}, {0, 0, 0}, {0x10, 0x20, 0x30}});
    EXPECT_EQ(converted(6, 1, 16), (std::vector<uint32_t>{0x00010001, 0x04007FFF, 0x00011882}));
    for (uint32_t word : converted(6, 1, 32)) EXPECT_EQ(word >> 24, 0xFFu);
}

// Rows arrive bottom-up: the first row in memory is the picture's bottom;
// a connected type of negative height has them top-down, read as they
// are, at both depths.
TEST_F(ConversionTest, TheRowOrderOfTheConnectedTypeIsFollowed) {
    for (LONG height : {2, -2}) {
        SCOPED_TRACE(height);
        Script script;
        script.connectedWidth = 1;
        script.connectedHeight = height;
        startRunningDecoder(script);
        EXPECT_EQ(decodeSize(), (host::FrameSize{1, 2}));
        Frame frame;
        frame.sampleTime = 1.0;
        frame.bytes = {0x01, 0x02, 0x03, 0, 0x48, 0x50, 0x58, 0}; // A, then B, rows of 4 bytes
        capture(frame);
        const uint32_t a = 0xFF030201, b = 0xFF585048, a16 = 0x0001, b16 = 0x2D49;
        EXPECT_EQ(converted(1, 2, 32), height > 0 ? (std::vector<uint32_t>{b, a}) : (std::vector<uint32_t>{a, b}));
        EXPECT_EQ(converted(1, 2, 16), height > 0 ? (std::vector<uint32_t>{b16 << 16 | b16, a16 << 16 | a16})
                                                  : (std::vector<uint32_t>{a16 << 16 | a16, b16 << 16 | b16}));
        ASSERT_EQ(callModule("shutdownModule"), 1);
        ASSERT_TRUE(awaitWorkerEnd());
    }
}

// Five pixels make 15 bytes, delivered in rows of 16: each row starts at
// its own stride, so the picture is not sheared.
TEST_F(ConversionTest, PaddedRowsKeepTheirStride) {
    auto pixelAt = [](int x, int y) { return Bgr{uint8_t(x), uint8_t(y), uint8_t(10 * x + y)}; };
    keep(5, 3, pixelAt);
    std::vector<uint32_t> words = converted(5, 3, 32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            Bgr pixel = pixelAt(x, y);
            EXPECT_EQ(words[size_t(y * 5 + x)], 0xFF000000u | uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0])
                << x << "," << y;
        }
}

// An odd row's last word repeats the row's last pixel in its right half,
// read from inside the row, so its value does not depend on what follows.
TEST_F(ConversionTest, AnOddRowEndsWithItsLastPixelTwice) {
    keep(3, 2, [](int x, int y) { return Bgr{uint8_t(8 * x + 8), uint8_t(8 * y), 0}; });
    std::vector<uint32_t> words = converted(3, 2, 16);
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0], 0x00010002u);
    EXPECT_EQ(words[1], 0x00030003u);
    EXPECT_EQ(words[2], 0x00210022u);
    EXPECT_EQ(words[3], 0x00230023u);
}

TEST_F(ConversionTest, AOnePixelFrameAtDepth16) {
    keep(1, {{0, 0, 0xF8}});
    EXPECT_EQ(converted(1, 1, 16), std::vector<uint32_t>{0x7C007C00});
}

// A larger bitmap takes the frame's rows back to back from its first word;
// its other words keep their values.
TEST_F(ConversionTest, ALargerBitmapReceivesTheFrameAtTheFrameStride) {
    keep(2, 2, [](int x, int y) { return Bgr{uint8_t(x + 1), uint8_t(y + 1), 0}; });
    std::vector<uint32_t> wide = converted(3, 3, 32, 0xDEADBEEF);
    EXPECT_EQ(wide, (std::vector<uint32_t>{0xFF000101, 0xFF000102, 0xFF000201, 0xFF000202, 0xDEADBEEF, 0xDEADBEEF,
                                           0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF}));
    std::vector<uint32_t> wide16 = converted(4, 3, 16, 0xDEADBEEF);
    EXPECT_EQ(wide16, (std::vector<uint32_t>{0x00010001, 0x00010001, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF}));
}

// A bitmap smaller than the frame, or whose word array is shorter than the
// conversion writes, is refused untouched, after the frame was consulted.
TEST_F(ConversionTest, ASmallerBitmapIsRefusedUntouched) {
    keep(4, 2, [](int, int) { return Bgr{9, 9, 9}; });
    struct Case {
        const char *what;
        HostWord bitmap;
    };
    const Case cases[] = {
        {"one pixel narrower", om.newBitmap(3, 2, 32, 7u)},
        {"one row shorter", om.newBitmap(4, 1, 32, 7u)},
        {"a short word array at 32",
         om.newBitmapWithSlots(om.newWords(7, 7), smallInteger(4), smallInteger(2), smallInteger(32))},
        {"a short word array at 16",
         om.newBitmapWithSlots(om.newWords(3, 7), smallInteger(4), smallInteger(2), smallInteger(16))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(call("primDecoderSetDecodeSize", {smallInteger(1), smallInteger(1)}));
        EXPECT_FALSE(copyInto(c.bitmap));
        EXPECT_TRUE(vm.stackEffects().empty());
        for (uint32_t word : wordsOf(c.bitmap)) EXPECT_EQ(word, 7u);
        EXPECT_EQ(lastError(), 1);
    }
}

// Seeded frames of widths around the fast conversions' steps (8 and 64
// pixels at depth 32, 16 and 32 at depth 16, and rows whose last pixels
// are left to the plain loop or taken with masked loads), against the
// conversion stated pixel by pixel.
class SeededFrameConversion : public ConversionTest, public ::testing::WithParamInterface<int> {};

TEST_P(SeededFrameConversion, EveryWordIsThePixelsConversion) {
    const int width = GetParam(), height = 3;
    const std::vector<Bgr> pixels = seededPixels(size_t(width) * height, 0x9E3779B9u ^ uint32_t(width));
    keep(width, height, [&](int x, int y) { return pixels[size_t(y * width + x)]; });
    std::vector<uint32_t> expected32, expected16;
    for (int y = 0; y < height; ++y) {
        const Bgr *row = &pixels[size_t(y * width)];
        for (uint32_t word : expected32Of(row, width)) expected32.push_back(word);
        for (uint32_t word : expected16Of(row, width)) expected16.push_back(word);
    }
    EXPECT_EQ(converted(width, height, 32), expected32);
    EXPECT_EQ(converted(width, height, 16), expected16);
}

INSTANTIATE_TEST_SUITE_P(Widths, SeededFrameConversion,
                         ::testing::Values(1, 2, 7, 8, 9, 10, 11, 15, 16, 17, 18, 19, 23, 24, 25, 26, 27, 31, 32, 33,
                                           34, 35, 41, 47, 48, 63, 64, 65, 79, 80, 88, 95, 96, 97, 127, 128, 129,
                                           180, 191, 1920));

// The fast twins this processor runs, called directly on single rows held
// in vectors of exactly their 3 x width bytes (an address-sanitized build
// reports any read past them), against the conversion pixel by pixel: the
// words of the pixels a twin answers it converted, and none written past.
struct RowTwin {
    const char *name;
    bool runs;
    uint32_t (*to32)(const uint8_t *, uint32_t *, uint32_t);
    uint32_t (*to16)(const uint8_t *, uint32_t *, uint32_t);
    uint32_t step32, step16; // the pixels it converts are a multiple of these, or the whole row
};

std::vector<RowTwin> rowTwins() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2");
    const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                        __builtin_cpu_supports("avx512vbmi");
    return {{"AVX2", avx2, convertRowTo32Avx2, convertRowTo16Avx2, 8, 16},
            {"AVX-512", avx512, convertRowTo32Avx512, convertRowTo16Avx512, 1, 1}};
#elif defined(__aarch64__)
    return {{"NEON", true, convertRowTo32Neon, convertRowTo16Neon, 16, 16}};
#else
    return {};
#endif
}

// Each width from every word of a cache line, since the AVX-512 twins
// start with a masked step up to the destination's next line.
TEST(RowConversionTwins, ConvertTheirPixelsExactlyAndTouchNothingElse) {
    constexpr uint32_t Untouched = 0xDEADBEEFu;
    constexpr size_t LineWords = 16;
    for (const RowTwin &twin : rowTwins()) {
        if (!twin.runs) continue;
        for (int width = 0; width <= 200; ++width) {
            const std::vector<Bgr> pixels = seededPixels(size_t(width), uint32_t(width) * 7919u + 1u);
            std::vector<uint8_t> row;
            for (const Bgr &pixel : pixels) row.insert(row.end(), pixel.begin(), pixel.end());
            for (size_t shift = 0; shift < LineWords; ++shift) {
                SCOPED_TRACE(std::string(twin.name) + ", width " + std::to_string(width) + ", shift " +
                             std::to_string(shift));
                std::vector<uint32_t> words(shift + size_t(width) + LineWords, Untouched);
                const uint32_t converted32 = twin.to32(row.data(), words.data() + shift, uint32_t(width));
                ASSERT_LE(converted32, uint32_t(width));
                EXPECT_TRUE(converted32 % twin.step32 == 0 || converted32 == uint32_t(width)) << converted32;
                std::vector<uint32_t> expected(shift, Untouched);
                for (uint32_t word : expected32Of(pixels.data(), int(converted32))) expected.push_back(word);
                expected.resize(words.size(), Untouched);
                EXPECT_EQ(words, expected);

                std::vector<uint32_t> pairs(shift + size_t(width + 1) / 2 + LineWords, Untouched);
                const uint32_t converted16 = twin.to16(row.data(), pairs.data() + shift, uint32_t(width));
                ASSERT_LE(converted16, uint32_t(width));
                EXPECT_TRUE(converted16 % twin.step16 == 0 || converted16 == uint32_t(width)) << converted16;
                // Whole words only, unless the twin took the row's odd last pixel.
                EXPECT_TRUE(converted16 % 2 == 0 || converted16 == uint32_t(width)) << converted16;
                std::vector<uint32_t> expectedPairs(shift, Untouched);
                for (uint32_t word : expected16Of(pixels.data(), int(converted16))) expectedPairs.push_back(word);
                expectedPairs.resize(pairs.size(), Untouched);
                EXPECT_EQ(pairs, expectedPairs);
            }
        }
    }
}

} // namespace
} // namespace capturetest
