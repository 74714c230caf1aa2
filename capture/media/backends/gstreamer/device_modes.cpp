#include "device_modes.h"

namespace gstbackend {
namespace {

GQuark advertisedModesQuark() { return g_quark_from_static_string("capture-advertised-modes"); }

void unrefCaps(gpointer caps) { gst_caps_unref(static_cast<GstCaps *>(caps)); }

} // namespace

void rememberAdvertisedModes(GstElement *source, GstCaps *modes) {
    if (modes == nullptr) return;
    g_object_set_qdata_full(G_OBJECT(source), advertisedModesQuark(), gst_caps_ref(modes), unrefCaps);
}

GstCaps *modesOffered(GstPad *source) {
    GstCaps *queried = gst_pad_query_caps(source, nullptr);
    GstElement *element = gst_pad_get_parent_element(source);
    if (element == nullptr) return queried;
    auto *advertised = static_cast<GstCaps *>(g_object_get_qdata(G_OBJECT(element), advertisedModesQuark()));
    GstCaps *offered = queried;
    if (advertised != nullptr && !gst_caps_is_empty(advertised) && !gst_caps_is_any(advertised)) {
        offered = gst_caps_intersect_full(advertised, queried, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(queried);
    }
    gst_object_unref(element);
    return offered;
}

} // namespace gstbackend
