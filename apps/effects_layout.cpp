#include "effects_layout.h"

#include <algorithm>

namespace demo {

namespace {
constexpr int kColumnWidth = 260;
constexpr int kRowHeight = 34;
constexpr int kMargin = 8;
} // namespace

EffectsLayout layOutEffectsWindow(int frameWidth, int frameHeight, int effects) {
    EffectsLayout layout;
    layout.picture = {0, 0, frameWidth, frameHeight};
    const int left = frameWidth + kMargin;
    int y = kMargin;
    for (int choice = 0; choice <= effects; ++choice, y += kRowHeight)
        layout.choices.push_back({left, y, kColumnWidth - 2 * kMargin, kRowHeight - 4});
    layout.rate = {left, y + kMargin, kColumnWidth - 2 * kMargin, kRowHeight * 2};
    layout.width = frameWidth + kColumnWidth;
    layout.height = std::max(frameHeight, layout.rate.y + layout.rate.height + kMargin);
    return layout;
}

int choiceAt(const EffectsLayout &layout, int x, int y) {
    for (size_t i = 0; i < layout.choices.size(); ++i)
        if (layout.choices[i].contains(x, y)) return int(i);
    return -1;
}

} // namespace demo
