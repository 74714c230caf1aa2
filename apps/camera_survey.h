// Which camera a capture will use: the first video source GStreamer's
// device monitor lists, as the capture library picks it.
#ifndef APPS_CAMERA_SURVEY_H
#define APPS_CAMERA_SURVEY_H

#include <string>

namespace demo {

struct CameraSurvey {
    bool found = false;
    std::string name;
    bool virtualCamera = false; // the project's virtual camera, not hardware
    // The GStreamer plugin file that offers the virtual camera; empty when
    // the program registered the one built into it.
    std::string virtualCameraPlugin;
};

// GStreamer must be initialised.
CameraSurvey surveyCameras();

} // namespace demo

#endif
