#include "picture.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {
// Source span [first, last) covered by destination index i of count.
void spanOf(int i, int count, int sourceCount, int *first, int *last) {
    *first = int(int64_t(i) * sourceCount / count);
    *last = std::max(*first + 1, int(int64_t(i + 1) * sourceCount / count));
}
} // namespace

Picture shrinkToFit(const Picture &picture, int maxWidth, int maxHeight) {
    if (picture.width <= maxWidth && picture.height <= maxHeight) return picture;
    const double scale = std::min(double(maxWidth) / picture.width, double(maxHeight) / picture.height);
    const int width = std::clamp(int(std::lround(picture.width * scale)), 1, maxWidth);
    const int height = std::clamp(int(std::lround(picture.height * scale)), 1, maxHeight);
    Picture reduced(width, height);
    for (int y = 0; y < height; ++y) {
        int top, bottom;
        spanOf(y, height, picture.height, &top, &bottom);
        for (int x = 0; x < width; ++x) {
            int left, right;
            spanOf(x, width, picture.width, &left, &right);
            uint64_t sums[4] = {0, 0, 0, 0};
            for (int sy = top; sy < bottom; ++sy) {
                for (int sx = left; sx < right; ++sx) {
                    const uint32_t pixel = picture.at(sx, sy);
                    sums[0] += uint64_t(alphaOf(pixel));
                    sums[1] += uint64_t(redOf(pixel));
                    sums[2] += uint64_t(greenOf(pixel));
                    sums[3] += uint64_t(blueOf(pixel));
                }
            }
            const uint64_t count = uint64_t(bottom - top) * uint64_t(right - left);
            auto mean = [&](int k) { return int((sums[k] + count / 2) / count); };
            reduced.at(x, y) = pixelWord(mean(1), mean(2), mean(3), mean(0));
        }
    }
    return reduced;
}

} // namespace demo
