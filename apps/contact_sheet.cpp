#include "contact_sheet.h"

#include <algorithm>

namespace demo {

namespace {
constexpr int kMargin = 12;
constexpr int kGap = 12;
constexpr int kLabelPadding = 4;
constexpr int kLineGap = 2;
constexpr int kCheckerSize = 8;
// Antialiased glyphs reach a pixel beyond their advance.
constexpr int kTextInset = 1;
constexpr uint32_t kCheckerLight = pixelWord(150, 150, 150);
constexpr uint32_t kCheckerDark = pixelWord(100, 100, 100);
constexpr uint32_t kFailedFill = pixelWord(96, 24, 24);
const std::string kFailedText = "Failed";
// Largest first.
const Font kLabelFonts[] = {{17, false}, {14, false}, {11, false}};
const Font kTitleFonts[] = {{22, true}, {17, true}, {13, true}};

std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

int lineStep(const Font &font) { return lineHeight(font) + kLineGap; }

template <size_t N> Font largestFontFitting(const Font (&fonts)[N], const std::vector<std::string> &texts, int width) {
    for (const Font &font : fonts) {
        if (std::all_of(texts.begin(), texts.end(), [&](const std::string &text) { return textWidth(text, font) <= width; }))
            return font;
    }
    return fonts[N - 1];
}

uint32_t blend(uint32_t over, uint32_t under) {
    const int alpha = alphaOf(over);
    auto mix = [alpha](int top, int bottom) { return (top * alpha + bottom * (255 - alpha) + 127) / 255; };
    return pixelWord(mix(redOf(over), redOf(under)), mix(greenOf(over), greenOf(under)),
                     mix(blueOf(over), blueOf(under)));
}

void fill(Picture &sheet, const Rect &area, uint32_t colour) {
    for (int y = area.y; y < area.y + area.height; ++y) std::fill_n(&sheet.at(area.x, y), area.width, colour);
}

void placePicture(Picture &sheet, const Rect &area, const Picture &picture) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const bool light = (x / kCheckerSize + y / kCheckerSize) % 2 == 0;
            sheet.at(area.x + x, area.y + y) = blend(picture.at(x, y), light ? kCheckerLight : kCheckerDark);
        }
    }
}

void placeFailure(Picture &sheet, const Rect &area, const Font &font) {
    fill(sheet, area, kFailedFill);
    const std::string text = fitText(kFailedText, font, area.width - 2 * kTextInset);
    PictureCanvas(sheet).text(area.x + (area.width - textWidth(text, font)) / 2,
                              area.y + (area.height - lineHeight(font)) / 2, text, font, kLabelColour);
}
} // namespace

SheetLayout layOutSheet(const std::string &title, const std::vector<Tile> &tiles, int columns) {
    SheetLayout layout;
    layout.columns = std::max(1, columns);
    layout.rows = int((tiles.size() + size_t(layout.columns) - 1) / size_t(layout.columns));
    std::vector<std::string> labelLines;
    size_t lineCount = 1;
    for (const Tile &tile : tiles) {
        const std::vector<std::string> lines = linesOf(tile.label);
        labelLines.insert(labelLines.end(), lines.begin(), lines.end());
        lineCount = std::max(lineCount, lines.size());
        if (tile.picture) {
            layout.cellWidth = std::max(layout.cellWidth, tile.picture->width);
            layout.cellHeight = std::max(layout.cellHeight, tile.picture->height);
        }
    }
    // A sheet of failures still needs room to say so.
    layout.cellWidth = std::max(layout.cellWidth, textWidth(kFailedText, std::end(kLabelFonts)[-1]));
    layout.cellHeight = std::max(layout.cellHeight, lineHeight(std::end(kLabelFonts)[-1]));

    layout.width = 2 * kMargin + layout.columns * layout.cellWidth + (layout.columns - 1) * kGap;
    layout.labelFont = largestFontFitting(kLabelFonts, labelLines, layout.cellWidth);
    layout.titleFont = largestFontFitting(kTitleFonts, {title}, layout.width - 2 * kMargin);
    layout.title = {kMargin, kMargin, layout.width - 2 * kMargin, lineHeight(layout.titleFont)};

    const int labelHeight = int(lineCount) * lineStep(layout.labelFont) - kLineGap + 2 * kLabelPadding;
    const int rowHeight = labelHeight + layout.cellHeight;
    const int gridTop = layout.title.y + layout.title.height + kGap;
    for (size_t i = 0; i < tiles.size(); ++i) {
        const int column = int(i % size_t(layout.columns)), row = int(i / size_t(layout.columns));
        const int x = kMargin + column * (layout.cellWidth + kGap);
        const int y = gridTop + row * (rowHeight + kGap);
        layout.labels.push_back({x, y, layout.cellWidth, labelHeight});
        layout.pictures.push_back({x, y + labelHeight, layout.cellWidth, layout.cellHeight});
    }
    layout.height = gridTop + layout.rows * rowHeight + std::max(0, layout.rows - 1) * kGap + kMargin;
    return layout;
}

Picture composeContactSheet(const std::string &title, const std::vector<Tile> &tiles, int columns) {
    const SheetLayout layout = layOutSheet(title, tiles, columns);
    Picture sheet(layout.width, layout.height, kSheetBackground);
    {
        PictureCanvas canvas(sheet);
        canvas.text(layout.title.x + kTextInset, layout.title.y,
                    fitText(title, layout.titleFont, layout.title.width - 2 * kTextInset),
                    layout.titleFont, kLabelColour);
        for (size_t i = 0; i < tiles.size(); ++i) {
            const Rect &label = layout.labels[i];
            int y = label.y + kLabelPadding;
            for (const std::string &line : linesOf(tiles[i].label)) {
                canvas.text(label.x + kTextInset, y, fitText(line, layout.labelFont, label.width - 2 * kTextInset),
                            layout.labelFont, kLabelColour);
                y += lineStep(layout.labelFont);
            }
        }
    }
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i].picture)
            placePicture(sheet, layout.pictures[i], *tiles[i].picture);
        else
            placeFailure(sheet, layout.pictures[i], layout.labelFont);
    }
    return sheet;
}

} // namespace demo
