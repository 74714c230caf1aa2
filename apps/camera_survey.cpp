#include "camera_survey.h"

#include <gst/gst.h>

namespace demo {

CameraSurvey surveyCameras() {
    CameraSurvey survey;
    GstDeviceMonitor *monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    GList *devices = gst_device_monitor_get_devices(monitor);
    if (devices != nullptr) {
        GstDevice *first = GST_DEVICE(devices->data);
        gchar *name = gst_device_get_display_name(first);
        survey.found = true;
        survey.name = name != nullptr ? name : "";
        g_free(name);
        if (GstStructure *properties = gst_device_get_properties(first)) {
            const gchar *api = gst_structure_get_string(properties, "device.api");
            survey.virtualCamera = api != nullptr && g_str_equal(api, "virtual");
            gst_structure_free(properties);
        }
    }
    if (survey.virtualCamera) {
        if (GstPlugin *plugin = gst_registry_find_plugin(gst_registry_get(), "virtualcamera")) {
            const gchar *file = gst_plugin_get_filename(plugin);
            survey.virtualCameraPlugin = file != nullptr ? file : "";
            gst_object_unref(plugin);
        }
    }
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
    return survey;
}

} // namespace demo
