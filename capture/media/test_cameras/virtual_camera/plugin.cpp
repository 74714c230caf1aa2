// The provider as a loadable GStreamer plugin, for hosts that find it
// through GST_PLUGIN_PATH.
#include "camera_provider.h"

static gboolean pluginInit(GstPlugin *plugin) { return virtualcamera::registerProvider(plugin); }

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, virtualcamera, "Live test-pattern cameras", pluginInit, "1.0",
                  "LGPL", "virtualcamera", "https://localhost/virtualcamera")
