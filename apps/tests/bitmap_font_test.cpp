#include "bitmap_font.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace demo {
namespace {

constexpr uint32_t kInk = 0xFFFFFFFFu;

Picture drawn(const std::string &text, int scale) {
    Picture picture(textWidth(text, scale), textHeight(scale));
    drawText(picture, 0, 0, text, scale, kInk);
    return picture;
}

TEST(BitmapFont, TextFillsExactlyItsMeasuredBox) {
    // "M" and "1" touch the top row, "M" and "E" the bottom, "M" the left
    // column and "E" the right one: a box one pixel smaller would cut them.
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE(scale);
        const Picture picture = drawn("M1E", scale);
        auto inked = [&](int x, int y) { return picture.at(x, y) == kInk; };
        bool top = false, bottom = false, left = false, right = false;
        for (int x = 0; x < picture.width; ++x) {
            top = top || inked(x, 0);
            bottom = bottom || inked(x, picture.height - 1);
        }
        for (int y = 0; y < picture.height; ++y) {
            left = left || inked(0, y);
            right = right || inked(picture.width - 1, y);
        }
        EXPECT_TRUE(top && bottom && left && right);
    }
}

TEST(BitmapFont, LowerCaseDrawsAsCapitalsAndUnknownCharactersAsABox) {
    EXPECT_EQ(drawn("abc", 1).pixels, drawn("ABC", 1).pixels);
    EXPECT_NE(drawn("x", 1).pixels, drawn("X", 1).pixels); // its own glyph, for "3x3"
    const Picture unknown = drawn("#", 1);
    EXPECT_EQ(std::count(unknown.pixels.begin(), unknown.pixels.end(), kInk), 2 * kGlyphWidth + 2 * (kGlyphHeight - 2));
}

TEST(BitmapFont, TextBeyondThePictureIsClipped) {
    // Unclipped, the glyph's columns past an edge would wrap into the
    // neighbouring row at the other side.
    struct Case {
        int x, y;
        int firstColumn, lastColumn; // where ink may land
    };
    const Case cases[] = {{6, 0, 6, 7}, {-3, 2, 0, 1}, {1, -4, 1, 5}, {1, 5, 1, 5}};
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "at " << c.x << "," << c.y);
        Picture picture(8, 8);
        drawText(picture, c.x, c.y, "W", 1, kInk);
        int inked = 0;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                if (picture.at(x, y) != kInk) continue;
                ++inked;
                EXPECT_TRUE(x >= c.firstColumn && x <= c.lastColumn) << x << "," << y;
                EXPECT_TRUE(y >= c.y && y < c.y + kGlyphHeight) << x << "," << y;
            }
        }
        EXPECT_GT(inked, 0);
    }
}

} // namespace
} // namespace demo
