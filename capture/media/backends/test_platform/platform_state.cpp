#include "platform_state.h"

namespace testplatform {

PlatformState &state() {
    static PlatformState shared;
    return shared;
}

Script currentScript() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().script;
}

bool failing(Step step) {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().script.failing.count(step) != 0;
}

void record(const std::string &entry) {
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().log.push_back(entry);
    }
    state().changed.notify_all();
}

void checkpoint(Hold point) {
    PlatformState &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (!s.holdArmed || s.holdPoint != point) return;
    s.holding = true;
    s.changed.notify_all();
    s.changed.wait(lock, [&] { return !s.holdArmed; });
    s.holding = false;
}

} // namespace testplatform
