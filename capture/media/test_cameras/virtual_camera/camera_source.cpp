// The source element behind a virtual camera: the test pattern, live, in
// the camera's format, and for a DV or MJPEG camera encoded as such a camera
// sends it.
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

namespace {

std::vector<Mode> modesListed(const Camera &camera) {
    std::vector<Mode> modes{{camera.width, camera.height, camera.framesPerSecond}};
    modes.insert(modes.end(), camera.laterModes.begin(), camera.laterModes.end());
    return modes;
}

std::vector<Mode> modesOf(const Camera &camera) {
    return camera.modesSent.empty() ? modesListed(camera) : camera.modesSent;
}

// One structure a mode, in the order given.
GstCaps *modeCaps(const std::vector<Mode> &modes, const char *media, const char *format) {
    GstCaps *caps = gst_caps_new_empty();
    for (const Mode &mode : modes) {
        GstStructure *structure = gst_structure_new(media, "width", G_TYPE_INT, mode.width, "height", G_TYPE_INT,
                                                    mode.height, "framerate", GST_TYPE_FRACTION,
                                                    mode.framesPerSecond, 1, nullptr);
        if (format != nullptr) gst_structure_set(structure, "format", G_TYPE_STRING, format, nullptr);
        gst_caps_append_structure(caps, structure);
    }
    return caps;
}

// What a source with an encoder inside answers before it is settled: the
// encoder's whole range.
GstCaps *openCaps(const Camera &camera) {
    GstCaps *caps = gst_caps_from_string(camera.output == Output::Jpeg ? "image/jpeg" : "video/x-raw");
    gst_caps_set_simple(caps, "width", GST_TYPE_INT_RANGE, 1, G_MAXINT, "height", GST_TYPE_INT_RANGE, 1, G_MAXINT,
                        "framerate", GST_TYPE_FRACTION_RANGE, 0, 1, G_MAXINT, 1, nullptr);
    return caps;
}

gboolean answerOpenCaps(GstPad *pad, GstObject *parent, GstQuery *query) {
    if (GST_QUERY_TYPE(query) != GST_QUERY_CAPS) return gst_pad_query_default(pad, parent, query);
    auto *camera = static_cast<const Camera *>(g_object_get_data(G_OBJECT(pad), "virtual-camera"));
    GstCaps *caps = openCaps(*camera);
    GstCaps *filter = nullptr;
    gst_query_parse_caps(query, &filter);
    if (filter != nullptr) {
        GstCaps *filtered = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = filtered;
    }
    gst_query_set_caps_result(query, caps);
    gst_caps_unref(caps);
    return TRUE;
}

// What the source's own elements let through.
GstCaps *sentCaps(const Camera &camera) {
    if (camera.output == Output::Dv) return cameraCaps(camera);
    if (camera.output == Output::Jpeg) return modeCaps(modesOf(camera), "image/jpeg", nullptr);
    return modeCaps(modesOf(camera), "video/x-raw", camera.format.c_str());
}

// A JPEG picture's colours span the full range, as a decoder reads them;
// the pattern is drawn in RGB and converted so, which the pattern source
// would not do itself.
GstCaps *jpegInputCaps(const Camera &camera) {
    GstCaps *caps = modeCaps(modesOf(camera), "video/x-raw", camera.format.c_str());
    for (guint index = 0; index < gst_caps_get_size(caps); ++index)
        gst_structure_set(gst_caps_get_structure(caps, index), "colorimetry", G_TYPE_STRING, "1:4:0:0", nullptr);
    return caps;
}

void deleteCamera(gpointer camera) { delete static_cast<Camera *>(camera); }

} // namespace

GstCaps *cameraCaps(const Camera &camera) {
    if (camera.output == Output::Dv)
        return gst_caps_new_simple("video/x-dv", "systemstream", G_TYPE_BOOLEAN, FALSE, "width", G_TYPE_INT, kDvWidth,
                                   "height", G_TYPE_INT, kDvHeight, "framerate", GST_TYPE_FRACTION, 30000, 1001,
                                   nullptr);
    if (camera.output == Output::Jpeg) return modeCaps(modesListed(camera), "image/jpeg", nullptr);
    return modeCaps(modesListed(camera), "video/x-raw", camera.format.c_str());
}

GstElement *makeCameraSource(const Camera &camera) {
    if (camera.broken) return nullptr;
    GstElement *bin = gst_bin_new(nullptr);
    GstElement *pattern = gst_element_factory_make("videotestsrc", nullptr);
    if (pattern != nullptr) g_object_set(pattern, "is-live", TRUE, nullptr);
    bool made = false;
    if (camera.output == Output::Dv)
        made = chain(GST_BIN(bin), {pattern, capsFilter(dvInputCaps()), gst_element_factory_make("avenc_dvvideo", nullptr),
                                    capsFilter(sentCaps(camera))});
    else if (camera.output == Output::Jpeg)
        made = chain(GST_BIN(bin), {pattern, capsFilter(modeCaps(modesOf(camera), "video/x-raw", "BGRx")),
                                    gst_element_factory_make("videoconvert", nullptr), capsFilter(jpegInputCaps(camera)),
                                    gst_element_factory_make("jpegenc", nullptr), capsFilter(sentCaps(camera))});
    else
        made = chain(GST_BIN(bin), {pattern, capsFilter(sentCaps(camera))});
    if (!made) {
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    GstPad *output = gst_element_get_static_pad(bin, "src");
    if (camera.answersOpenCaps) {
        g_object_set_data_full(G_OBJECT(output), "virtual-camera", new Camera(camera), deleteCamera);
        gst_pad_set_query_function(output, answerOpenCaps);
    }
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
