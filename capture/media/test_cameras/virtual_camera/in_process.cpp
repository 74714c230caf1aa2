// The provider registered by a host into its own process.
#include "camera_provider.h"

namespace virtualcamera {

bool registerVirtualCamera() {
    if (!gst_is_initialized()) return false;
    // A second copy of the same types in one process would not register.
    GstDeviceProviderFactory *known = gst_device_provider_factory_find(kProviderName);
    if (known != nullptr) {
        gst_object_unref(known);
        return true;
    }
    return gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, kPluginName, "Live test-pattern cameras",
                                      registerProvider, "1.0", "LGPL", kPluginName, kPluginName,
                                      "https://localhost/virtualcamera") != FALSE;
}

} // namespace virtualcamera
