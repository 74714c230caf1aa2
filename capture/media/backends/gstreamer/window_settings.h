// What the video window's callers asked for, kept by the graph so that a
// preview window made later, or none at all, starts from the same state.
#ifndef CAPTURE_GSTREAMER_WINDOW_SETTINGS_H
#define CAPTURE_GSTREAMER_WINDOW_SETTINGS_H

#include "direct_show.h"

namespace gstbackend {

struct WindowSettings {
    LONG style = 0;
    bool autoShow = true;
    OAHWND owner = 0; // an X11 window id; 0: none
    bool visible = false;
    LONG left = 0, top = 0, width = 0, height = 0;
};

} // namespace gstbackend

#endif
