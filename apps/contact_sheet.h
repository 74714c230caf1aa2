// Lays out labelled pictures in a grid under a title, as one picture.
#ifndef APPS_CONTACT_SHEET_H
#define APPS_CONTACT_SHEET_H

#include "picture.h"
#include "picture_canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace demo {

struct Tile {
    std::string label;              // lines separated by '\n'
    std::optional<Picture> picture; // none: the effect failed, the tile says so
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

constexpr uint32_t kSheetBackground = pixelWord(32, 36, 40);
constexpr uint32_t kLabelColour = pixelWord(236, 236, 236);

// Where everything goes. Every cell is as large as the largest picture and
// every label strip as tall as the label with most lines; labels are drawn
// at the largest of a few font sizes that fits them all, and a line is cut
// short with "..." when even the smallest is too wide. The title likewise.
struct SheetLayout {
    int columns = 1, rows = 0;
    int cellWidth = 0, cellHeight = 0;
    Font labelFont, titleFont;
    int width = 0, height = 0;
    Rect title;
    std::vector<Rect> labels, pictures; // one per tile
};

SheetLayout layOutSheet(const std::string &title, const std::vector<Tile> &tiles, int columns);

// Pictures are shown over a checkerboard so that transparent pixels show.
Picture composeContactSheet(const std::string &title, const std::vector<Tile> &tiles, int columns);

} // namespace demo

#endif
