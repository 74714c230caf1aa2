// The device provider and its devices. Each probe answers new devices for
// the cameras offered at that moment.
#include "camera_provider.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex offerMutex;
std::vector<virtualcamera::Camera> &offered() {
    static std::vector<virtualcamera::Camera> cameras = virtualcamera::defaultCameras();
    return cameras;
}

} // namespace

G_BEGIN_DECLS

#define VIRTUAL_TYPE_CAMERA_DEVICE (virtual_camera_device_get_type())
G_DECLARE_FINAL_TYPE(VirtualCameraDevice, virtual_camera_device, VIRTUAL, CAMERA_DEVICE, GstDevice)

struct _VirtualCameraDevice {
    GstDevice parent;
    virtualcamera::Camera *camera;
};

G_DEFINE_TYPE(VirtualCameraDevice, virtual_camera_device, GST_TYPE_DEVICE)

#define VIRTUAL_TYPE_CAMERA_PROVIDER (virtual_camera_provider_get_type())
G_DECLARE_FINAL_TYPE(VirtualCameraProvider, virtual_camera_provider, VIRTUAL, CAMERA_PROVIDER, GstDeviceProvider)

struct _VirtualCameraProvider {
    GstDeviceProvider parent;
};

G_DEFINE_TYPE(VirtualCameraProvider, virtual_camera_provider, GST_TYPE_DEVICE_PROVIDER)

G_END_DECLS

static GstElement *virtual_camera_device_create_element(GstDevice *device, const gchar *name) {
    GstElement *source = virtualcamera::makeCameraSource(*VIRTUAL_CAMERA_DEVICE(device)->camera);
    if (source != nullptr && name != nullptr) gst_object_set_name(GST_OBJECT(source), name);
    return source;
}

static void virtual_camera_device_finalize(GObject *object) {
    delete VIRTUAL_CAMERA_DEVICE(object)->camera;
    G_OBJECT_CLASS(virtual_camera_device_parent_class)->finalize(object);
}

static void virtual_camera_device_class_init(VirtualCameraDeviceClass *klass) {
    GST_DEVICE_CLASS(klass)->create_element = virtual_camera_device_create_element;
    G_OBJECT_CLASS(klass)->finalize = virtual_camera_device_finalize;
}

static void virtual_camera_device_init(VirtualCameraDevice *device) { device->camera = nullptr; }

static GstDevice *newCameraDevice(const virtualcamera::Camera &camera) {
    GstCaps *caps = virtualcamera::cameraCaps(camera);
    GstStructure *properties = gst_structure_new("virtual-camera-properties", "device.api", G_TYPE_STRING, "virtual",
                                                 nullptr);
    auto *device = static_cast<VirtualCameraDevice *>(g_object_new(VIRTUAL_TYPE_CAMERA_DEVICE, "display-name",
                                                                    camera.name.c_str(), "device-class",
                                                                    "Video/Source", "caps", caps, "properties",
                                                                    properties, nullptr));
    gst_caps_unref(caps);
    gst_structure_free(properties);
    device->camera = new virtualcamera::Camera(camera);
    return GST_DEVICE(device);
}

static GList *virtual_camera_provider_probe(GstDeviceProvider *) {
    std::vector<virtualcamera::Camera> cameras;
    {
        std::lock_guard<std::mutex> lock(offerMutex);
        cameras = offered();
    }
    GList *devices = nullptr;
    for (const virtualcamera::Camera &camera : cameras) devices = g_list_append(devices, newCameraDevice(camera));
    return devices;
}

static void virtual_camera_provider_class_init(VirtualCameraProviderClass *klass) {
    GstDeviceProviderClass *providerClass = GST_DEVICE_PROVIDER_CLASS(klass);
    providerClass->probe = virtual_camera_provider_probe;
    gst_device_provider_class_set_static_metadata(providerClass, "Virtual camera provider", "Video/Source",
                                                  "Offers live test-pattern cameras", "Mardolin and Pelquist");
}

static void virtual_camera_provider_init(VirtualCameraProvider *) {}

namespace virtualcamera {

// A value below every real camera's provider, and above GST_RANK_NONE,
// which device monitors leave out.
gboolean registerProvider(GstPlugin *plugin) {
    return gst_device_provider_register(plugin, kProviderName, GST_RANK_MARGINAL, VIRTUAL_TYPE_CAMERA_PROVIDER);
}

void offerCameras(const std::vector<Camera> &cameras) {
    {
        std::lock_guard<std::mutex> lock(offerMutex);
        offered() = cameras;
    }
    forgetMishaps();
}

std::vector<Camera> defaultCameras() {
    Camera dv;
    dv.name = "Virtual DV Camera";
    dv.output = Output::Dv;
    dv.width = 720;
    dv.height = 480;
    const char *first = std::getenv("VIRTUAL_CAMERA");
    if (first != nullptr && std::strcmp(first, "dv") == 0) return {dv, Camera{}};
    return {Camera{}, dv};
}

} // namespace virtualcamera
