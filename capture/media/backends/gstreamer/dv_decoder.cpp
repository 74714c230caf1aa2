#include "dv_decoder.h"

namespace gstbackend {
namespace {

struct DisplaySize {
    int display, width, height;
};

const DisplaySize kDisplaySizes[] = {
    {DVRESOLUTION_FULL, 720, 480},
    {DVRESOLUTION_HALF, 360, 240},
    {DVRESOLUTION_QUARTER, 180, 120},
    {DVRESOLUTION_DC, 88, 60},
};

const DisplaySize *displaySizeOf(int display) {
    for (const DisplaySize &size : kDisplaySizes)
        if (size.display == display) return &size;
    return nullptr;
}

void setSize(GstElement *sizeFilter, const DisplaySize &size) {
    GstCaps *caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, size.width, "height", G_TYPE_INT,
                                        size.height, nullptr);
    g_object_set(sizeFilter, "caps", caps, nullptr);
    gst_caps_unref(caps);
}

void addGhostPad(GstElement *bin, GstElement *inner, const char *name) {
    GstPad *pad = gst_element_get_static_pad(inner, name);
    gst_element_add_pad(bin, gst_ghost_pad_new(name, pad));
    gst_object_unref(pad);
}

} // namespace

DvDecoder *DvDecoder::create() {
    GstElement *decoder = gst_element_factory_make("dvdec", nullptr);
    GstElement *scaler = gst_element_factory_make("videoscale", nullptr);
    GstElement *sizeFilter = gst_element_factory_make("capsfilter", nullptr);
    if (decoder == nullptr || scaler == nullptr || sizeFilter == nullptr) {
        for (GstElement *element : {decoder, scaler, sizeFilter})
            if (element != nullptr) gst_object_unref(gst_object_ref_sink(element));
        return nullptr;
    }
    GstElement *bin = gst_bin_new(nullptr);
    gst_bin_add_many(GST_BIN(bin), decoder, scaler, sizeFilter, nullptr);
    gst_element_link_many(decoder, scaler, sizeFilter, nullptr);
    addGhostPad(bin, decoder, "sink");
    addGhostPad(bin, sizeFilter, "src");
    setSize(sizeFilter, kDisplaySizes[0]);
    return new DvDecoder(bin, sizeFilter);
}

DvDecoder::DvDecoder(GstElement *bin, GstElement *sizeFilter) : ElementFilter(bin), sizeFilter_(sizeFilter) {}

HRESULT DvDecoder::queryExtra(REFIID riid, void **out) {
    if (riid == IID_IIPDVDec) return answer(static_cast<IIPDVDec *>(this), out);
    return refuse(out);
}

HRESULT DvDecoder::get_IPDisplay(int *displayPix) {
    if (displayPix == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *displayPix = display_;
    return S_OK;
}

HRESULT DvDecoder::put_IPDisplay(int displayPix) {
    const DisplaySize *size = displaySizeOf(displayPix);
    if (size == nullptr) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(mutex_);
    setSize(sizeFilter_, *size);
    display_ = displayPix;
    return S_OK;
}

} // namespace gstbackend
