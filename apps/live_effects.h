// The effects on live frames: host bitmaps and arguments made once for the
// frame size, so that every frame costs one filter call and a copy, and
// nothing is allocated in the interpreter's memory per frame. The
// background of a subtraction is the frame before, so what moves keeps its
// colours. Host thread.
#ifndef APPS_LIVE_EFFECTS_H
#define APPS_LIVE_EFFECTS_H

#include "demo_effects.h"
#include "filter_host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

class LiveEffects {
public:
    LiveEffects(FilterHost &filters, int width, int height);

    // The bitmap the capture copies each frame into.
    HostWord frameBitmap() const { return frame_; }
    // Runs effect (an index into demoEffects(), or -1 for none) on the frame
    // last copied in; the words to show, or null with the reason in problem.
    const uint32_t *apply(int effect, std::string *problem);

private:
    uint32_t *wordsOf(HostWord bitmap);

    FilterHost &filters_;
    const size_t pixels_;
    HostWord frame_, work_, previous_;
    bool havePrevious_ = false;
    std::vector<std::vector<HostWord>> arguments_; // per effect
    std::vector<HostWord> results_;                // per effect
};

} // namespace demo

#endif
