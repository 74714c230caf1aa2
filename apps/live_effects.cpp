#include "live_effects.h"

#include <cstring>

namespace demo {

LiveEffects::LiveEffects(FilterHost &filters, int width, int height)
    : filters_(filters), pixels_(size_t(width) * size_t(height)) {
    const Picture blank(width, height);
    frame_ = filters.newBitmap(blank);
    work_ = filters.newBitmap(blank);
    previous_ = filters.newBitmap(blank);
    for (const Effect &effect : demoEffects()) {
        std::vector<HostWord> arguments;
        HostWord result = work_;
        switch (effect.form) {
        case EffectForm::InPlace: arguments = {work_}; break;
        case EffectForm::Convolution: arguments = {frame_, work_, filters.newKernel(effect.kernel)}; break;
        case EffectForm::BackgroundSubtraction: arguments = {frame_, previous_, work_}; break;
        }
        for (double parameter : effect.parameters) arguments.push_back(filters.newFloat(parameter));
        arguments_.push_back(arguments);
        results_.push_back(result);
    }
}

uint32_t *LiveEffects::wordsOf(HostWord bitmap) {
    host::ObjectMemory &memory = filters_.interpreter().memory();
    return memory.words(memory.slots(bitmap)[0]);
}

const uint32_t *LiveEffects::apply(int effect, std::string *problem) {
    uint32_t *frame = wordsOf(frame_);
    if (effect < 0 || size_t(effect) >= arguments_.size()) return frame;
    const Effect &chosen = demoEffects()[size_t(effect)];
    if (chosen.form == EffectForm::InPlace) std::memcpy(wordsOf(work_), frame, pixels_ * sizeof(uint32_t));
    // The first frame has no frame before it: it is its own background.
    if (!havePrevious_) std::memcpy(wordsOf(previous_), frame, pixels_ * sizeof(uint32_t));
    const CallOutcome outcome = filters_.call(chosen.primitive, arguments_[size_t(effect)]);
    std::memcpy(wordsOf(previous_), frame, pixels_ * sizeof(uint32_t));
    havePrevious_ = true;
    if (!outcome.succeeded) {
        *problem = outcome.problem;
        return nullptr;
    }
    return wordsOf(results_[size_t(effect)]);
}

} // namespace demo
