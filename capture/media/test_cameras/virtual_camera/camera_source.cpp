// The source element behind a virtual camera: the test pattern, live, in
// the camera's format, and for a DV camera encoded as a camcorder sends it.
#include "camera_provider.h"

#include <map>
#include <mutex>

namespace virtualcamera {
namespace {

// The only input the DV encoder takes.
constexpr int kDvWidth = 720;
constexpr int kDvHeight = 480;

GstCaps *dvInputCaps() {
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "Y41B", "width", G_TYPE_INT, kDvWidth, "height",
                               G_TYPE_INT, kDvHeight, "framerate", GST_TYPE_FRACTION, 30000, 1001, nullptr);
}

GstElement *capsFilter(GstCaps *caps) {
    GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
    if (filter != nullptr) g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    return filter;
}

std::mutex mishapMutex;
std::map<std::string, Mishap> struck; // by camera name

// What a source's probe remembers: the camera it belongs to, and whether
// it has reported its mishap.
struct SourceWatch {
    std::string name;
    bool reported = false;
};

GError *errorOf(Mishap mishap) {
    if (mishap == Mishap::Unplugged)
        return g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, "the camera was unplugged");
    return g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED, "the camera's stream failed");
}

// Streaming thread: every frame leaving the source passes here.
GstPadProbeReturn watchFrame(GstPad *pad, GstPadProbeInfo *, gpointer data) {
    auto *watch = static_cast<SourceWatch *>(data);
    if (watch->reported) return GST_PAD_PROBE_DROP;
    Mishap mishap;
    {
        std::lock_guard<std::mutex> lock(mishapMutex);
        auto found = struck.find(watch->name);
        if (found == struck.end()) return GST_PAD_PROBE_OK;
        mishap = found->second;
    }
    watch->reported = true;
    GstElement *element = gst_pad_get_parent_element(pad);
    GError *error = errorOf(mishap);
    gst_element_post_message(element, gst_message_new_error(GST_OBJECT(element), error, nullptr));
    g_error_free(error);
    gst_object_unref(element);
    return GST_PAD_PROBE_DROP;
}

void deleteWatch(gpointer data) { delete static_cast<SourceWatch *>(data); }

// Adds the elements to the bin and links them in order; the last one's
// source pad becomes the bin's. Answers false when any is missing.
bool chain(GstBin *bin, std::initializer_list<GstElement *> elements) {
    bool complete = true;
    for (GstElement *element : elements) complete = complete && element != nullptr;
    if (!complete) {
        for (GstElement *element : elements)
            if (element != nullptr) gst_object_unref(gst_object_ref_sink(element));
        return false;
    }
    GstElement *previous = nullptr;
    for (GstElement *element : elements) {
        gst_bin_add(bin, element);
        if (previous != nullptr && !gst_element_link(previous, element)) return false;
        previous = element;
    }
    GstPad *source = gst_element_get_static_pad(previous, "src");
    GstPad *ghost = gst_ghost_pad_new("src", source);
    gst_object_unref(source);
    return gst_element_add_pad(GST_ELEMENT(bin), ghost) != FALSE;
}

} // namespace

// videotestsrc's bars in an RGB format: white, yellow, cyan, green,
// magenta, red, blue, at full intensity.
const Bar kBars[kBarCount] = {
    {255, 255, 255}, {0, 255, 255}, {255, 255, 0}, {0, 255, 0}, {255, 0, 255}, {0, 0, 255}, {255, 0, 0},
};

GstCaps *cameraCaps(const Camera &camera) {
    if (camera.output == Output::Dv)
        return gst_caps_new_simple("video/x-dv", "systemstream", G_TYPE_BOOLEAN, FALSE, "width", G_TYPE_INT, kDvWidth,
                                   "height", G_TYPE_INT, kDvHeight, "framerate", GST_TYPE_FRACTION, 30000, 1001,
                                   nullptr);
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, camera.format.c_str(), "width", G_TYPE_INT,
                               camera.width, "height", G_TYPE_INT, camera.height, "framerate", GST_TYPE_FRACTION,
                               camera.framesPerSecond, 1, nullptr);
}

GstElement *makeCameraSource(const Camera &camera) {
    if (camera.broken) return nullptr;
    GstElement *bin = gst_bin_new(nullptr);
    GstElement *pattern = gst_element_factory_make("videotestsrc", nullptr);
    if (pattern != nullptr) g_object_set(pattern, "is-live", TRUE, nullptr);
    bool made = camera.output == Output::Dv
                    ? chain(GST_BIN(bin), {pattern, capsFilter(dvInputCaps()),
                                           gst_element_factory_make("avenc_dvvideo", nullptr),
                                           capsFilter(cameraCaps(camera))})
                    : chain(GST_BIN(bin), {pattern, capsFilter(cameraCaps(camera))});
    if (!made) {
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    GstPad *output = gst_element_get_static_pad(bin, "src");
    GstPad *inner = gst_ghost_pad_get_target(GST_GHOST_PAD(output));
    gst_pad_add_probe(inner, GST_PAD_PROBE_TYPE_BUFFER, watchFrame, new SourceWatch{camera.name}, deleteWatch);
    gst_object_unref(inner);
    gst_object_unref(output);
    return bin;
}

void strikeCamera(const std::string &name, Mishap mishap) {
    std::lock_guard<std::mutex> lock(mishapMutex);
    struck[name] = mishap;
}

void forgetMishaps() {
    std::lock_guard<std::mutex> lock(mishapMutex);
    struck.clear();
}

} // namespace virtualcamera
