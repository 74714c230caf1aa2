#include "contact_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace demo {
namespace {

// Five tiles on a grid of three columns: a full row and a short one, one of
// them failed and one label far too long for its cell. Ink is whatever
// differs from the background outside the pictures (text is antialiased).
class ContactSheet : public ::testing::Test {
  protected:
    ContactSheet() {
        const uint32_t colours[] = {pixelWord(200, 0, 0), pixelWord(0, 200, 0), pixelWord(0, 0, 200),
                                    pixelWord(90, 90, 0)};
        tiles_.push_back({"ORIGINAL", Picture(40, 30, colours[0])});
        tiles_.push_back({"TWO\nLINES", Picture(40, 30, colours[1])});
        tiles_.push_back({"BROKEN", std::nullopt});
        tiles_.push_back({std::string(60, 'W'), Picture(40, 30, colours[2])});
        tiles_.push_back({"", Picture(40, 30, colours[3])});
        sheet_ = composeContactSheet(kTitle, tiles_, 3);
        layout_ = layOutSheet(kTitle, tiles_, 3);
    }

    bool inPicture(int x, int y) const {
        for (size_t i = 0; i < tiles_.size(); ++i)
            if (tiles_[i].picture && layout_.pictures[i].contains(x, y)) return true;
        return false;
    }
    bool inkedAt(int x, int y) const {
        if (inPicture(x, y)) return false;
        const uint32_t pixel = sheet_.at(x, y);
        for (size_t i = 0; i < tiles_.size(); ++i)
            if (!tiles_[i].picture && layout_.pictures[i].contains(x, y)) return redOf(pixel) > 150;
        return pixel != kSheetBackground;
    }
    bool anyInk(const Rect &area) const {
        for (int y = area.y; y < area.y + area.height; ++y)
            for (int x = area.x; x < area.x + area.width; ++x)
                if (inkedAt(x, y)) return true;
        return false;
    }

    const std::string kTitle = "SHEET";
    std::vector<Tile> tiles_;
    Picture sheet_;
    SheetLayout layout_;
};

TEST_F(ContactSheet, LaysOutACellPerTileInsideTheSheet) {
    EXPECT_EQ(sheet_.width, layout_.width);
    EXPECT_EQ(sheet_.height, layout_.height);
    EXPECT_EQ(layout_.rows, 2);
    ASSERT_EQ(layout_.labels.size(), tiles_.size());
    ASSERT_EQ(layout_.pictures.size(), tiles_.size());

    std::vector<Rect> areas{layout_.title};
    for (size_t i = 0; i < tiles_.size(); ++i) {
        SCOPED_TRACE(i);
        const Rect &label = layout_.labels[i], &picture = layout_.pictures[i];
        EXPECT_EQ(picture.y, label.y + label.height) << "picture right under its label";
        EXPECT_EQ(picture.x, label.x);
        EXPECT_EQ(picture.width, 40);
        EXPECT_EQ(picture.height, 30);
        EXPECT_EQ(label.y, layout_.labels[i - i % 3].y) << "a row's labels line up";
        EXPECT_EQ(label.x, layout_.labels[i % 3].x) << "a column's cells line up";
        areas.push_back(label);
        areas.push_back(picture);
    }
    for (size_t a = 0; a < areas.size(); ++a) {
        EXPECT_TRUE(areas[a].x >= 0 && areas[a].y >= 0 && areas[a].x + areas[a].width <= sheet_.width &&
                    areas[a].y + areas[a].height <= sheet_.height)
            << "area " << a << " leaves the sheet";
        for (size_t b = a + 1; b < areas.size(); ++b) {
            const Rect &p = areas[a], &q = areas[b];
            const bool apart =
                p.x + p.width <= q.x || q.x + q.width <= p.x || p.y + p.height <= q.y || q.y + q.height <= p.y;
            EXPECT_TRUE(apart) << "areas " << a << " and " << b << " overlap";
        }
    }
}

TEST_F(ContactSheet, PicturesAreCopiedIntoTheirCellsUnchanged) {
    for (size_t i = 0; i < tiles_.size(); ++i) {
        if (!tiles_[i].picture) continue;
        SCOPED_TRACE(i);
        const Rect &area = layout_.pictures[i];
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                ASSERT_EQ(sheet_.at(area.x + x, area.y + y), tiles_[i].picture->at(x, y));
    }
}

TEST_F(ContactSheet, LabelInkStaysInsideTitleAndLabelStrips) {
    for (int y = 0; y < sheet_.height; ++y) {
        for (int x = 0; x < sheet_.width; ++x) {
            if (!inkedAt(x, y)) continue;
            bool placed = layout_.title.contains(x, y);
            for (size_t i = 0; i < tiles_.size(); ++i) {
                placed = placed || layout_.labels[i].contains(x, y) ||
                         (!tiles_[i].picture && layout_.pictures[i].contains(x, y));
            }
            ASSERT_TRUE(placed) << "label ink at " << x << "," << y;
        }
    }
    EXPECT_TRUE(anyInk(layout_.title));
    for (size_t i = 0; i < tiles_.size(); ++i)
        EXPECT_EQ(anyInk(layout_.labels[i]), !tiles_[i].label.empty()) << "label " << i;
    EXPECT_TRUE(anyInk(layout_.pictures[2])) << "a failed tile says so";
}

TEST_F(ContactSheet, EveryLineOfALabelIsDrawnInFull) {
    // "TWO" and "LINES" show as two bands of inked rows, the second ending
    // inside the strip.
    const Rect &strip = layout_.labels[1];
    std::vector<bool> inked;
    for (int y = strip.y; y < strip.y + strip.height; ++y) inked.push_back(anyInk({strip.x, y, strip.width, 1}));
    int bands = 0;
    for (size_t y = 0; y < inked.size(); ++y) bands += inked[y] && (y == 0 || !inked[y - 1]) ? 1 : 0;
    EXPECT_EQ(bands, 2);
    EXPECT_FALSE(inked.back()) << "the last line reaches the strip's edge";
    EXPECT_GE(std::count(inked.begin(), inked.end(), true), 2 * lineHeight(layout_.labelFont) / 2);
}

TEST_F(ContactSheet, ALineTooLongIsCutShortWithAnEllipsis) {
    const std::string cut = fitText(tiles_[3].label, layout_.labelFont, layout_.labels[3].width - 2);
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_LE(textWidth(cut, layout_.labelFont), layout_.labels[3].width);
}

TEST(ContactSheetScale, LabelsShrinkWhenOneDoesNotFitAtTheLargestSize) {
    const std::vector<Tile> tiles{{"SHORT", Picture(100, 10, pixelWord(1, 2, 3))},
                                  {"TINY", Picture(100, 10, pixelWord(1, 2, 3))}};
    const double largest = layOutSheet("T", tiles, 2).labelFont.size;
    const std::vector<Tile> crowded{tiles[0], {"A LABEL TOO LONG", tiles[1].picture}};
    EXPECT_LT(layOutSheet("T", crowded, 2).labelFont.size, largest);
}

TEST(ContactSheetTransparency, TransparentPixelsShowTheCheckerboard) {
    Picture picture(16, 16, 0x00FF00FFu);
    picture.at(0, 0) = 0xFF102030u;
    const std::vector<Tile> tiles{{"", picture}};
    const Picture sheet = composeContactSheet("", tiles, 1);
    const Rect area = layOutSheet("", tiles, 1).pictures[0];
    EXPECT_EQ(sheet.at(area.x, area.y), 0xFF102030u);
    const uint32_t lightSquare = sheet.at(area.x + 1, area.y), darkSquare = sheet.at(area.x + 8, area.y);
    EXPECT_NE(lightSquare, darkSquare);
    EXPECT_EQ(alphaOf(lightSquare), 255);
    EXPECT_EQ(redOf(lightSquare), greenOf(lightSquare)) << "grey, not the hidden magenta";
}

} // namespace
} // namespace demo
