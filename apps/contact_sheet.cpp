#include "contact_sheet.h"

#include "bitmap_font.h"

#include <algorithm>

namespace demo {

namespace {
constexpr int kMargin = 12;
constexpr int kGap = 12;
constexpr int kLabelPadding = 4;
constexpr int kLineGap = 4;
constexpr int kMaxLabelScale = 2;
constexpr int kCheckerSize = 8;
constexpr uint32_t kCheckerLight = pixelWord(150, 150, 150);
constexpr uint32_t kCheckerDark = pixelWord(100, 100, 100);
constexpr uint32_t kFailedFill = pixelWord(96, 24, 24);
const std::string kFailedText = "FAILED";
const std::string kEllipsis = "..";

std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

int lineHeight(int scale) { return textHeight(scale) + kLineGap; }

int largestScaleFitting(const std::vector<std::string> &texts, int width) {
    for (int scale = kMaxLabelScale; scale > 1; --scale) {
        if (std::all_of(texts.begin(), texts.end(),
                        [&](const std::string &text) { return textWidth(text, scale) <= width; }))
            return scale;
    }
    return 1;
}

std::string fitText(const std::string &text, int scale, int width) {
    if (textWidth(text, scale) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && textWidth(cut + kEllipsis, scale) > width) cut.pop_back();
    return textWidth(cut + kEllipsis, scale) <= width ? cut + kEllipsis : std::string();
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

void placeFailure(Picture &sheet, const Rect &area, int labelScale) {
    fill(sheet, area, kFailedFill);
    const int scale = textHeight(labelScale) <= area.height ? labelScale : 1;
    const std::string text = fitText(kFailedText, scale, area.width);
    drawText(sheet, area.x + (area.width - textWidth(text, scale)) / 2, area.y + (area.height - textHeight(scale)) / 2,
             text, scale, kLabelColour);
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
    layout.cellWidth = std::max(layout.cellWidth, textWidth(kFailedText, 1));
    layout.cellHeight = std::max(layout.cellHeight, textHeight(1));

    layout.width = 2 * kMargin + layout.columns * layout.cellWidth + (layout.columns - 1) * kGap;
    layout.labelScale = largestScaleFitting(labelLines, layout.cellWidth);
    layout.titleScale = largestScaleFitting({title}, layout.width - 2 * kMargin);
    layout.title = {kMargin, kMargin, layout.width - 2 * kMargin, textHeight(layout.titleScale)};

    const int labelHeight = int(lineCount) * lineHeight(layout.labelScale) - kLineGap + 2 * kLabelPadding;
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
    drawText(sheet, layout.title.x, layout.title.y, fitText(title, layout.titleScale, layout.title.width),
             layout.titleScale, kLabelColour);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const Rect &label = layout.labels[i];
        int y = label.y + kLabelPadding;
        for (const std::string &line : linesOf(tiles[i].label)) {
            drawText(sheet, label.x, y, fitText(line, layout.labelScale, label.width), layout.labelScale, kLabelColour);
            y += lineHeight(layout.labelScale);
        }
        if (tiles[i].picture)
            placePicture(sheet, layout.pictures[i], *tiles[i].picture);
        else
            placeFailure(sheet, layout.pictures[i], layout.labelScale);
    }
    return sheet;
}

} // namespace demo
