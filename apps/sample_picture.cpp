#include "sample_picture.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {
constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double red, green, blue; // 0 ... 1
};

uint32_t wordOf(Colour colour) {
    auto byte = [](double unit) { return int(std::lround(std::clamp(unit, 0.0, 1.0) * 255.0)); };
    return pixelWord(byte(colour.red), byte(colour.green), byte(colour.blue));
}

Colour colourOf(uint32_t word) { return {redOf(word) / 255.0, greenOf(word) / 255.0, blueOf(word) / 255.0}; }

Colour mix(Colour a, Colour b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

// Full saturation and value: hue 0 ... 1 around the colour wheel.
Colour hueColour(double hue) {
    auto channel = [hue](double offset) {
        const double h = std::fmod(hue + offset, 1.0) * 6.0;
        return std::clamp(std::fabs(h - 3.0) - 1.0, 0.0, 1.0);
    };
    return {channel(0.0), channel(2.0 / 3.0), channel(1.0 / 3.0)};
}

// Blends colour into the pixel by coverage, which smooths shape edges.
void cover(Picture &picture, int x, int y, Colour colour, double coverage) {
    if (coverage <= 0.0) return;
    uint32_t &pixel = picture.at(x, y);
    pixel = wordOf(mix(colourOf(pixel), colour, std::min(coverage, 1.0)));
}

void paintBackground(Picture &picture) {
    for (int y = 0; y < picture.height; ++y) {
        const double fall = double(y) / picture.height;
        for (int x = 0; x < picture.width; ++x) {
            const Colour hue = hueColour(double(x) / picture.width * 0.85 + fall * 0.15);
            const Colour pastel = mix(hue, {1.0, 1.0, 1.0}, 0.45 * (1.0 - fall));
            picture.at(x, y) = wordOf(mix(pastel, {0.05, 0.05, 0.15}, fall * 0.6));
        }
    }
}

// A sphere lit from the upper left, with a highlight.
void paintSphere(Picture &picture, double cx, double cy, double radius, Colour colour) {
    for (int y = int(cy - radius) - 1; y <= int(cy + radius) + 1; ++y) {
        for (int x = int(cx - radius) - 1; x <= int(cx + radius) + 1; ++x) {
            const double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
            const double distance = std::sqrt(dx * dx + dy * dy);
            const double dz = std::sqrt(std::max(0.0, 1.0 - distance * distance));
            const double diffuse = std::max(0.0, (-dx - dy + dz) / std::sqrt(3.0));
            const double highlight = std::pow(std::max(0.0, diffuse), 24.0);
            const Colour lit = mix(mix({0.0, 0.0, 0.0}, colour, 0.15 + 0.85 * diffuse), {1.0, 1.0, 1.0}, highlight);
            cover(picture, x, y, lit, (1.0 - distance) * radius + 0.5);
        }
    }
}

void paintBox(Picture &picture, int left, int top, int right, int bottom, Colour fill, Colour border) {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const bool edge = x < left + 2 || y < top + 2 || x >= right - 2 || y >= bottom - 2;
            const double shade = 0.7 + 0.3 * double(y - top) / (bottom - top);
            cover(picture, x, y, edge ? border : mix({0.0, 0.0, 0.0}, fill, shade), 1.0);
        }
    }
}

// Triangle with its apex at the top: coverage from the distance to each slanted side.
void paintTriangle(Picture &picture, double apexX, double apexY, double halfBase, double height, Colour colour) {
    const double slope = halfBase / height, norm = std::sqrt(1.0 + slope * slope);
    for (int y = int(apexY); y < int(apexY + height); ++y) {
        for (int x = int(apexX - halfBase) - 1; x <= int(apexX + halfBase) + 1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double inside = ((py - apexY) * slope - std::fabs(px - apexX)) / norm;
            const Colour shaded = mix(colour, {1.0, 1.0, 0.6}, std::max(0.0, (apexX - px) / halfBase) * 0.5);
            cover(picture, x, y, shaded, inside + 0.5);
        }
    }
}

void paintChecker(Picture &picture, int left, int top, int right, int bottom, int size) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            picture.at(x, y) =
                ((x - left) / size + (y - top) / size) % 2 ? pixelWord(245, 245, 245) : pixelWord(20, 20, 20);
}

// Rings whose spacing shrinks outwards: fine detail for the convolutions.
void paintZonePlate(Picture &picture, double cx, double cy, double radius) {
    for (int y = int(cy - radius); y < int(cy + radius); ++y) {
        for (int x = int(cx - radius); x < int(cx + radius); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double r2 = dx * dx + dy * dy;
            const double wave = 0.5 + 0.5 * std::cos(kPi * r2 / (2.5 * radius));
            const Colour ring = mix({0.35, 0.0, 0.45}, {1.0, 0.85, 0.3}, wave);
            cover(picture, x, y, ring, radius - std::sqrt(r2) + 0.5);
        }
    }
}

// Vertical stripes one, two, three ... pixels wide in two colours.
void paintStripes(Picture &picture, int left, int top, int right, int bottom) {
    const Colour colours[2] = {{0.0, 0.75, 0.85}, {0.95, 0.45, 0.05}};
    int x = left;
    for (int width = 1, k = 0; x < right; ++width, ++k) {
        for (int column = x; column < std::min(right, x + width); ++column)
            for (int y = top; y < bottom; ++y) cover(picture, column, y, colours[k % 2], 1.0);
        x += width;
    }
}

void paintGreyRamp(Picture &picture, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const int grey = x * 255 / (picture.width - 1);
            picture.at(x, y) = pixelWord(grey, grey, grey);
        }
}
} // namespace

Picture makeSamplePicture() {
    Picture picture(kSampleWidth, kSampleHeight);
    paintBackground(picture);
    paintBox(picture, 128, 22, 212, 102, {0.15, 0.3, 0.95}, {1.0, 1.0, 1.0});
    paintTriangle(picture, 262, 20, 50, 100, {0.2, 0.8, 0.15});
    paintSphere(picture, 68, 72, 48, {0.9, 0.12, 0.1});
    paintChecker(picture, 16, 142, 96, 212, 4);
    paintZonePlate(picture, 160, 174, 38);
    paintStripes(picture, 222, 142, 304, 212);
    paintGreyRamp(picture, 222, 240);
    return picture;
}

} // namespace demo
