#include "format_bridge.h"

#include "dv_decoder.h"
#include "element_filter.h"
#include "media_types.h"

namespace gstbackend {
namespace {

void fixateNearest(GstStructure *structure, const char *field, int value) {
    if (gst_structure_has_field(structure, field)) gst_structure_fixate_field_nearest_int(structure, field, value);
}

// The first mode listed, as the device's capture pin would start in it.
// Only a field still left open is fixated: nearest 640 x 480 at 30 frames
// a second.
GstCaps *firstListedMode(const GstCaps *offered) {
    GstCaps *first = gst_caps_copy_nth(offered, 0);
    GstStructure *structure = gst_caps_get_structure(first, 0);
    fixateNearest(structure, "width", 640);
    fixateNearest(structure, "height", 480);
    if (gst_structure_has_field(structure, "framerate"))
        gst_structure_fixate_field_nearest_fraction(structure, "framerate", 30, 1);
    if (gst_structure_has_field(structure, "systemstream"))
        gst_structure_fixate_field_boolean(structure, "systemstream", FALSE);
    return gst_caps_fixate(first);
}

IBaseFilter *elementFilter(const char *factory) {
    GstElement *element = gst_element_factory_make(factory, nullptr);
    return element != nullptr ? newElementFilter(element) : nullptr;
}

// A caps filter, taking the caps.
IBaseFilter *capsFilter(GstCaps *caps) {
    GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
    if (filter != nullptr) g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    return filter != nullptr ? newElementFilter(filter) : nullptr;
}

// A decoder answers a caps query before its input is settled with any
// size; pinned to the mode's, the frames' size is known before they flow.
IBaseFilter *sizePin(const VideoSize &size) {
    if (size.width <= 0 || size.height <= 0) return nullptr;
    return capsFilter(gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, size.width, "height", G_TYPE_INT,
                                          size.height, nullptr));
}

bool isDvSystemStream(const GstStructure *structure) {
    gboolean systemStream = FALSE;
    return gst_structure_get_boolean(structure, "systemstream", &systemStream) && systemStream;
}

} // namespace

bool bridgeFilters(GstCaps *offered, GstCaps *wanted, std::vector<IBaseFilter *> *filters) {
    filters->clear();
    if (gst_caps_is_empty(offered) || gst_caps_is_any(offered)) return false;
    GstCaps *mode = firstListedMode(offered);
    const bool sendsWanted = gst_caps_can_intersect(mode, wanted);
    const GstStructure *chosen = gst_caps_get_structure(mode, 0);
    const VideoSize size = videoSizeOf(mode);
    filters->push_back(capsFilter(gst_caps_ref(mode)));
    if (!sendsWanted) {
        if (gst_structure_has_name(chosen, "image/jpeg")) {
            filters->push_back(elementFilter("jpegdec"));
            filters->push_back(sizePin(size));
        } else if (gst_structure_has_name(chosen, "video/x-dv") && !isDvSystemStream(chosen)) {
            filters->push_back(DvDecoder::create());
        } else if (!gst_structure_has_name(chosen, "video/x-raw")) {
            filters->push_back(nullptr);
        }
        filters->push_back(elementFilter("videoconvert"));
    }
    gst_caps_unref(mode);

    bool complete = true;
    for (IBaseFilter *filter : *filters) complete = complete && filter != nullptr;
    if (complete) return true;
    for (IBaseFilter *filter : *filters)
        if (filter != nullptr) filter->Release();
    filters->clear();
    return false;
}

} // namespace gstbackend
