// The eight filters as the demo hosts show them: each effect's primitive,
// its label on the contact sheet and how it is called on one picture.
#ifndef APPS_DEMO_EFFECTS_H
#define APPS_DEMO_EFFECTS_H

#include "contact_sheet.h"
#include "filter_host.h"
#include "picture.h"

#include <functional>
#include <string>
#include <vector>

namespace demo {

// One filter run: the outcome of the call and the picture it left.
struct EffectResult {
    CallOutcome outcome;
    Picture picture;
};

struct Effect {
    const char *primitive;
    std::string label;
    std::function<EffectResult(FilterHost &, const char *primitive, const Picture &)> run;
};

std::vector<Effect> demoEffects();

// Runs every effect on the picture, printing each one's time or failure,
// and answers the contact sheet's tiles, the picture itself first.
std::vector<Tile> applyEffects(FilterHost &filters, const Picture &picture, const std::string &pictureLabel,
                               int *failures);

} // namespace demo

#endif
