// The eight filters as the demo hosts show them: each effect's primitive,
// its labels and the arguments it is called with, and how it runs on one
// picture for the contact sheet.
#ifndef APPS_DEMO_EFFECTS_H
#define APPS_DEMO_EFFECTS_H

#include "contact_sheet.h"
#include "filter_host.h"
#include "picture.h"

#include <string>
#include <vector>

namespace demo {

// How a filter takes its pictures.
enum class EffectForm {
    InPlace,               // the bitmap, then the parameters as floats
    Convolution,           // source, destination, kernel, divisor, bias
    BackgroundSubtraction, // picture, background, output, threshold
};

struct Effect {
    const char *primitive;
    std::string label; // the contact sheet's, lines separated by '\n'
    std::string name;  // one short line, for the live window
    EffectForm form;
    std::vector<double> parameters; // the floats after the pictures (and kernel)
    std::vector<float> kernel;      // Convolution only
};

const std::vector<Effect> &demoEffects();

// One filter run: the outcome of the call and the picture it left.
struct EffectResult {
    CallOutcome outcome;
    Picture picture;
};

// Runs an effect on a picture; the background of a subtraction is the
// picture itself moved a few pixels, so that whatever "moved" keeps its
// colours and the still parts turn transparent.
EffectResult runEffect(FilterHost &filters, const Effect &effect, const Picture &picture);

// Runs every effect on the picture, printing each one's time or failure,
// and answers the contact sheet's tiles, the picture itself first.
std::vector<Tile> applyEffects(FilterHost &filters, const Picture &picture, const std::string &pictureLabel,
                               int *failures);

} // namespace demo

#endif
