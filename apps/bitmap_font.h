// A tiny 5x7 bitmap font for labelling pictures: capitals, digits and a
// little punctuation. Lower case draws as capitals, except 'x', which has
// its own small glyph for sizes like 3x3; any other character draws as a
// hollow box, so a missing glyph shows instead of vanishing.
#ifndef APPS_BITMAP_FONT_H
#define APPS_BITMAP_FONT_H

#include "picture.h"

#include <string>

namespace demo {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Size of text drawn at an integer scale, without trailing spacing.
int textWidth(const std::string &text, int scale);
inline int textHeight(int scale) { return kGlyphHeight * scale; }

// Draws text with its top left corner at (x, y); pixels outside the
// picture are left out.
void drawText(Picture &picture, int x, int y, const std::string &text, int scale, uint32_t colour);

} // namespace demo

#endif
