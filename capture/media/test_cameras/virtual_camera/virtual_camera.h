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
    Raw, // uncompressed frames in `format`, at width x height
    Dv,  // a DV stream: 720 x 480 at 30000/1001, as a DV camcorder sends it
};

struct Camera {
    std::string name = "Virtual Camera";
    Output output = Output::Raw;
    std::string format = "YUY2"; // a raw format name, as GStreamer spells it
    int width = 320;
    int height = 240;
    int framesPerSecond = 30;
    bool broken = false; // offered, but its source element cannot be made
};

// Colour bars across the upper two thirds of every picture, left to right,
// as blue, green, red bytes. Bar i spans the columns from i * width / 7 to
// (i + 1) * width / 7.
struct Bar {
    unsigned char blue, green, red;
};
constexpr int kBarCount = 7;
extern const Bar kBars[kBarCount];

// The cameras a plugin loaded through GST_PLUGIN_PATH offers: the
// test-pattern camera (320 x 240, YUY2, 30 frames a second) first, then
// the DV one; the DV one first when VIRTUAL_CAMERA is "dv", for a host
// that wants to try the decode sizes.
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
