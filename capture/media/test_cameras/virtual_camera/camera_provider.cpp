// The device provider and its devices. Each probe answers new devices for
// the cameras offered at that moment.
#include "camera_provider.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
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

const std::vector<Mode> kWebcamModes = {{640, 480, 30}, {1280, 720, 30}, {1920, 1080, 30}, {1280, 720, 60}};

namespace {

struct WebcamFormat {
    const char *name; // as a mode names it
    Output output;
    const char *format;
    const char *cameraName;
};
const WebcamFormat kWebcamFormats[] = {
    {"yuy2", Output::Raw, "YUY2", "Virtual YUY2 Camera"},
    {"nv12", Output::Raw, "NV12", "Virtual NV12 Camera"},
    {"mjpeg", Output::Jpeg, "I420", "Virtual MJPEG Camera"},
};

Camera webcam(const WebcamFormat &format, const Mode &first) {
    Camera camera;
    camera.name = format.cameraName;
    camera.output = format.output;
    camera.format = format.format;
    camera.width = first.width;
    camera.height = first.height;
    camera.framesPerSecond = first.framesPerSecond;
    for (const Mode &mode : kWebcamModes)
        if (mode.width != first.width || mode.height != first.height || mode.framesPerSecond != first.framesPerSecond)
            camera.laterModes.push_back(mode);
    camera.answersOpenCaps = format.output == Output::Jpeg;
    return camera;
}

} // namespace

bool cameraOfMode(const std::string &mode, Camera *camera) {
    std::string text = mode;
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    size_t dash = text.find('-');
    if (dash == std::string::npos) return false;
    Mode first{};
    char rest = 0;
    if (std::sscanf(text.c_str() + dash + 1, "%dx%d@%d%c", &first.width, &first.height, &first.framesPerSecond,
                    &rest) != 3 ||
        first.width <= 0 || first.height <= 0 || first.framesPerSecond <= 0)
        return false;
    for (const WebcamFormat &format : kWebcamFormats)
        if (text.compare(0, dash, format.name) == 0) {
            *camera = webcam(format, first);
            return true;
        }
    return false;
}

std::vector<Camera> defaultCameras() {
    Camera dv;
    dv.name = "Virtual DV Camera";
    dv.output = Output::Dv;
    dv.width = 720;
    dv.height = 480;
    std::vector<Camera> cameras{Camera{}, dv};
    for (const WebcamFormat &format : kWebcamFormats) cameras.push_back(webcam(format, kWebcamModes[0]));
    const char *first = std::getenv("VIRTUAL_CAMERA");
    Camera chosen = dv;
    if (first == nullptr || (std::strcmp(first, "dv") != 0 && !cameraOfMode(first, &chosen))) return cameras;
    // The chosen camera moves to the front, in the mode chosen.
    cameras.erase(std::remove_if(cameras.begin(), cameras.end(),
                                 [&](const Camera &camera) { return camera.name == chosen.name; }),
                  cameras.end());
    cameras.insert(cameras.begin(), chosen);
    return cameras;
}

} // namespace virtualcamera
