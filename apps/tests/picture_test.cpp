#include "picture.h"

#include <gtest/gtest.h>

namespace demo {
namespace {

TEST(ShrinkToFit, KeepsAPictureThatFits) {
    Picture picture(4, 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint32_t(i * 0x01020304u);
    const Picture kept = shrinkToFit(picture, 4, 3);
    EXPECT_EQ(kept.width, 4);
    EXPECT_EQ(kept.height, 3);
    EXPECT_EQ(kept.pixels, picture.pixels);
}

TEST(ShrinkToFit, KeepsProportionsAndAveragesEachArea) {
    // Columns alternate black and white: halving the width gives mid grey.
    Picture stripes(1000, 500);
    for (int y = 0; y < stripes.height; ++y)
        for (int x = 0; x < stripes.width; ++x)
            stripes.at(x, y) = x % 2 ? pixelWord(255, 255, 255) : pixelWord(0, 0, 0);
    const Picture reduced = shrinkToFit(stripes, 500, 480);
    ASSERT_EQ(reduced.width, 500);
    ASSERT_EQ(reduced.height, 250);
    ASSERT_EQ(reduced.pixels.size(), size_t(500 * 250));
    for (uint32_t pixel : reduced.pixels) ASSERT_EQ(pixel, pixelWord(128, 128, 128));
}

TEST(ShrinkToFit, NeverAnswersAnEmptyPicture) {
    const Picture reduced = shrinkToFit(Picture(4000, 2, pixelWord(10, 20, 30)), 640, 480);
    EXPECT_EQ(reduced.width, 640);
    EXPECT_EQ(reduced.height, 1);
    EXPECT_EQ(reduced.at(639, 0), pixelWord(10, 20, 30));
}

} // namespace
} // namespace demo
