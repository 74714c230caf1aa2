#include "media_types.h"

#include <cstring>

namespace gstbackend {

bool isRgb24Request(const AM_MEDIA_TYPE &type) {
    return type.majortype == MEDIATYPE_Video && type.subtype == MEDIASUBTYPE_RGB24;
}

GstCaps *newRgb24Caps() { return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", nullptr); }

VideoSize videoSizeOf(const GstCaps *caps) {
    VideoSize size;
    if (caps == nullptr || gst_caps_is_empty(caps)) return size;
    const GstStructure *structure = gst_caps_get_structure(caps, 0);
    if (!gst_structure_get_int(structure, "width", &size.width) ||
        !gst_structure_get_int(structure, "height", &size.height))
        return VideoSize{};
    if (!gst_structure_get_fraction(structure, "framerate", &size.framesNumerator, &size.framesDenominator)) {
        size.framesNumerator = 0;
        size.framesDenominator = 1;
    }
    return size;
}

VideoSize oneSizeOf(const GstCaps *caps) {
    VideoSize size;
    if (caps == nullptr || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) return size;
    for (guint index = 0; index < gst_caps_get_size(caps); ++index) {
        const GstStructure *structure = gst_caps_get_structure(caps, index);
        int width = 0, height = 0;
        if (!gst_structure_get_int(structure, "width", &width) || !gst_structure_get_int(structure, "height", &height))
            return VideoSize{};
        if (index > 0 && (width != size.width || height != size.height)) return VideoSize{};
        size.width = width;
        size.height = height;
    }
    const GstStructure *first = gst_caps_get_structure(caps, 0);
    if (!gst_structure_get_fraction(first, "framerate", &size.framesNumerator, &size.framesDenominator)) {
        size.framesNumerator = 0;
        size.framesDenominator = 1;
    }
    return size;
}

HRESULT describeConnectedRgb24(const VideoSize &size, AM_MEDIA_TYPE *type) {
    VIDEOINFOHEADER format{};
    format.rcSource.right = format.rcTarget.right = size.width;
    format.rcSource.bottom = format.rcTarget.bottom = size.height;
    if (size.framesNumerator > 0)
        format.AvgTimePerFrame = REFERENCE_TIME(10000000) * size.framesDenominator / size.framesNumerator;
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = size.width;
    format.bmiHeader.biHeight = -size.height; // negative: rows top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biSizeImage = DWORD(rgb24Stride(size.width) * size_t(size.height));

    BYTE *block = static_cast<BYTE *>(CoTaskMemAlloc(sizeof format));
    if (block == nullptr) return E_OUTOFMEMORY;
    std::memcpy(block, &format, sizeof format);
    *type = AM_MEDIA_TYPE{};
    type->majortype = MEDIATYPE_Video;
    type->subtype = MEDIASUBTYPE_RGB24;
    type->bFixedSizeSamples = TRUE;
    type->lSampleSize = format.bmiHeader.biSizeImage;
    type->formattype = FORMAT_VideoInfo;
    type->cbFormat = sizeof format;
    type->pbFormat = block;
    return S_OK;
}

} // namespace gstbackend
