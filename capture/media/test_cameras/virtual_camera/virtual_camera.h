// A camera without hardware: a GStreamer device provider whose devices
// are live test-pattern sources, offered as "Video/Source" devices below
// every real camera's rank. A host that wants it in its own process calls
// registerVirtualCamera after gst_init and before it loads the capture
// plug-in; any host can instead load the same provider as the plugin
// "virtualcamera" from the build's lib/gstreamer/ through GST_PLUGIN_PATH.
#ifndef CAPTURE_VIRTUAL_CAMERA_H
#define CAPTURE_VIRTUAL_CAMERA_H

#include <string>
#include <vector>

namespace virtualcamera {

enum class Output {
    Raw,  // uncompressed frames in `format`, at width x height
    Jpeg, // "image/jpeg" frames at width x height, as webcams send HD
    Dv,   // a DV stream: 720 x 480 at 30000/1001, as a DV camcorder sends it
};

struct Mode {
    int width, height, framesPerSecond;
};

struct Camera {
    std::string name = "Virtual Camera";
    Output output = Output::Raw;
    std::string format = "YUY2"; // a raw format name, as GStreamer spells it
    // The first mode its device lists.
    int width = 320;
    int height = 240;
    int framesPerSecond = 30;
    std::vector<Mode> laterModes; // listed after the first, in this order
    bool broken = false; // offered, but its source element cannot be made
    // Its source answers a caps query with open ranges, as a source with
    // an encoder inside does, though it sends only the modes its device
    // lists.
    bool answersOpenCaps = false;
    // When not empty, all its source can send, whatever its device lists:
    // a camera whose advertised modes cannot be negotiated.
    std::vector<Mode> modesSent;
};

// Colour bars across the upper two thirds of every picture, left to right,
// as blue, green, red bytes. Bar i spans the columns from i * width / 7 to
// (i + 1) * width / 7.
struct Bar {
    unsigned char blue, green, red;
};
constexpr int kBarCount = 7;
extern const Bar kBars[kBarCount];

// A camera in the form webcams take, named by one of its modes:
// "<format>-<width>x<height>@<frames per second>", the format "yuy2",
// "nv12" or "mjpeg" (any case), say "mjpeg-1920x1080@30". Its device lists
// that mode first, then the rest of kWebcamModes; an MJPEG camera's source
// answers caps queries with open ranges. False for any other text.
bool cameraOfMode(const std::string &mode, Camera *camera);

// The modes the webcam-like cameras list, in this order.
extern const std::vector<Mode> kWebcamModes;

// The cameras a plugin loaded through GST_PLUGIN_PATH offers: the
// test-pattern camera (320 x 240, YUY2, 30 frames a second) first, then
// the DV one, then a YUY2, an NV12 and an MJPEG camera listing
// kWebcamModes. VIRTUAL_CAMERA puts one first: "dv" the DV camera, for a
// host that wants to try the decode sizes, or a mode as cameraOfMode
// reads it, for a host that wants that mode.
std::vector<Camera> defaultCameras();

// Makes the provider known in this process, offering defaultCameras(),
// unless a provider of that name is known already (the plugin found
// through GST_PLUGIN_PATH). GStreamer must be initialised. Answers false
// when it could not be registered. Any thread; once is enough.
bool registerVirtualCamera();

// What a camera can be made to do in the middle of its stream, for tests.
enum class Mishap {
    StreamError, // its source reports a streaming error
    Unplugged,   // its source reports that the device cannot be found any more
};

// Every source made so far for a camera of that name, and every one made
// later, reports the mishap on its pipeline's bus at its next frame and
// sends no frame after it. offerCameras forgets it. Any thread.
void strikeCamera(const std::string &name, Mishap mishap);

// Replaces the cameras the in-process provider offers from the next
// device probe on; an empty list offers none. Forgets every mishap.
// Any thread.
void offerCameras(const std::vector<Camera> &cameras);

} // namespace virtualcamera

#endif
