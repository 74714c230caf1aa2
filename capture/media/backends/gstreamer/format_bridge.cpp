#include "format_bridge.h"

#include "dv_decoder.h"
#include "element_filter.h"

namespace gstbackend {
namespace {

void fixateNearest(GstStructure *structure, const char *field, int value) {
    if (gst_structure_has_field(structure, field)) gst_structure_fixate_field_nearest_int(structure, field, value);
}

GstCaps *settledCaps(const GstCaps *offered) {
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

// Whether every format offered has the same one width and height.
bool offersOneSize(const GstCaps *caps) {
    int width = 0, height = 0;
    for (guint index = 0; index < gst_caps_get_size(caps); ++index) {
        const GstStructure *structure = gst_caps_get_structure(caps, index);
        int w = 0, h = 0;
        if (!gst_structure_get_int(structure, "width", &w) || !gst_structure_get_int(structure, "height", &h))
            return false;
        if (index > 0 && (w != width || h != height)) return false;
        width = w;
        height = h;
    }
    return true;
}

IBaseFilter *elementFilter(const char *factory) {
    GstElement *element = gst_element_factory_make(factory, nullptr);
    return element != nullptr ? newElementFilter(element) : nullptr;
}

IBaseFilter *settlingFilter(const GstCaps *offered) {
    GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
    if (filter == nullptr) return nullptr;
    GstCaps *settled = settledCaps(offered);
    g_object_set(filter, "caps", settled, nullptr);
    gst_caps_unref(settled);
    return newElementFilter(filter);
}

bool isDvSystemStream(const GstStructure *structure) {
    gboolean systemStream = FALSE;
    return gst_structure_get_boolean(structure, "systemstream", &systemStream) && systemStream;
}

} // namespace

bool bridgeFilters(GstCaps *offered, GstCaps *wanted, std::vector<IBaseFilter *> *filters) {
    filters->clear();
    if (gst_caps_is_empty(offered) || gst_caps_is_any(offered)) return false;
    GstCaps *direct = gst_caps_intersect(offered, wanted);
    const bool sendsWanted = !gst_caps_is_empty(direct);
    const GstCaps *sent = sendsWanted ? direct : offered;
    const bool oneSize = offersOneSize(sent);

    if (!oneSize) filters->push_back(settlingFilter(sent));
    if (!sendsWanted) {
        const GstStructure *first = gst_caps_get_structure(sent, 0);
        if (gst_structure_has_name(first, "image/jpeg"))
            filters->push_back(elementFilter("jpegdec"));
        else if (gst_structure_has_name(first, "video/x-dv") && !isDvSystemStream(first))
            filters->push_back(DvDecoder::create());
        else if (!gst_structure_has_name(first, "video/x-raw"))
            filters->push_back(nullptr);
        filters->push_back(elementFilter("videoconvert"));
    }
    gst_caps_unref(direct);

    bool complete = true;
    for (IBaseFilter *filter : *filters) complete = complete && filter != nullptr;
    if (complete) return true;
    for (IBaseFilter *filter : *filters)
        if (filter != nullptr) filter->Release();
    filters->clear();
    return false;
}

} // namespace gstbackend
