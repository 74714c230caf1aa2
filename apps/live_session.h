// The live effects, until the person quits: every frame the capture
// signals is copied into a bitmap, the chosen filter runs on it and the
// result is drawn in the effects window, at the camera's rate when the
// filter keeps up. Host thread.
#ifndef APPS_LIVE_SESSION_H
#define APPS_LIVE_SESSION_H

#include "capture_host.h"
#include "demo_window.h"
#include "filter_host.h"
#include "picture.h"

#include <functional>

namespace demo {

// Writes the contact sheet of a frame; false when it could not.
using SheetWriter = std::function<bool(const Picture &frame)>;

// Runs until q, Escape or a closed window (true), or until frames stop
bool runLiveEffects(DemoWindow &main, CaptureHost &capture, FilterHost &filters, const SheetWriter &writeSheet);

} // namespace demo

#endif
