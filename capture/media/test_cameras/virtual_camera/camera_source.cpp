// The source element behind a virtual camera: the test pattern, live, in
// the camera's format, and for a DV camera encoded as a camcorder sends it.
#include "camera_provider.h"

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
    return bin;
}

} // namespace virtualcamera
