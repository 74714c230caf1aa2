// The provider's pieces shared by the in-process registration and the
// loadable plugin.
#ifndef CAPTURE_VIRTUAL_CAMERA_PROVIDER_H
#define CAPTURE_VIRTUAL_CAMERA_PROVIDER_H

#include "virtual_camera.h"

#include <gst/gst.h>

namespace virtualcamera {

constexpr const char *kPluginName = "virtualcamera";
constexpr const char *kProviderName = "virtualcameraprovider";

// The plugin's init function: registers the provider into the plugin.
gboolean registerProvider(GstPlugin *plugin);

// A live source bin with one "src" pad, or null for a broken camera.
GstElement *makeCameraSource(const Camera &camera);

// Forgets every mishap struck so far.
void forgetMishaps();

// The caps a camera's device announces.
GstCaps *cameraCaps(const Camera &camera);

} // namespace virtualcamera

#endif
