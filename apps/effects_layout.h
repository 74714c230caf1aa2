// Where the live effects window puts things: the filtered frame at the top
// left, beside it a column with one row per choice (0 for none, then the
// eight effects) and the achieved frame rate under them.
#ifndef APPS_EFFECTS_LAYOUT_H
#define APPS_EFFECTS_LAYOUT_H

#include "contact_sheet.h"

#include <vector>

namespace demo {

struct EffectsLayout {
    int width = 0, height = 0;
    Rect picture;
    std::vector<Rect> choices; // choice 0 is none, choice k effect k - 1
    Rect rate;
};

EffectsLayout layOutEffectsWindow(int frameWidth, int frameHeight, int effects);

// The choice at a point, or -1.
int choiceAt(const EffectsLayout &layout, int x, int y);

} // namespace demo

#endif
