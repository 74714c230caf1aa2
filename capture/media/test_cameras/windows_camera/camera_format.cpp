#include "camera_format.h"

namespace testcamera {

HRESULT describeCameraType(AM_MEDIA_TYPE *type) {
    if (type == nullptr) return E_POINTER;
    *type = AM_MEDIA_TYPE{};
    auto *format = static_cast<VIDEOINFOHEADER *>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (format == nullptr) return E_OUTOFMEMORY;
    *format = VIDEOINFOHEADER{};
    format->rcSource = RECT{0, 0, kWidth, kHeight};
    format->rcTarget = format->rcSource;
    format->dwBitRate = DWORD(kFrameBytes) * 8 * kFramesPerSecond;
    format->AvgTimePerFrame = kFramePeriod;
    BITMAPINFOHEADER &bitmap = format->bmiHeader;
    bitmap.biSize = sizeof(BITMAPINFOHEADER);
    bitmap.biWidth = kWidth;
    bitmap.biHeight = kHeight; // positive: rows bottom-up
    bitmap.biPlanes = 1;
    bitmap.biBitCount = 24;
    bitmap.biCompression = BI_RGB;
    bitmap.biSizeImage = kFrameBytes;

    type->majortype = MEDIATYPE_Video;
    type->subtype = MEDIASUBTYPE_RGB24;
    type->bFixedSizeSamples = TRUE;
    type->bTemporalCompression = FALSE;
    type->lSampleSize = kFrameBytes;
    type->formattype = FORMAT_VideoInfo;
    type->cbFormat = sizeof(VIDEOINFOHEADER);
    type->pbFormat = reinterpret_cast<BYTE *>(format);
    return S_OK;
}

AM_MEDIA_TYPE *newCameraType() {
    auto *type = static_cast<AM_MEDIA_TYPE *>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (type != nullptr && FAILED(describeCameraType(type))) {
        CoTaskMemFree(type);
        type = nullptr;
    }
    return type;
}

bool matchesCameraType(const AM_MEDIA_TYPE *type) {
    if (type == nullptr) return true;
    auto fits = [](const GUID &asked, const GUID &ours) { return IsEqualGUID(asked, GUID_NULL) || IsEqualGUID(asked, ours); };
    if (!fits(type->majortype, MEDIATYPE_Video) || !fits(type->subtype, MEDIASUBTYPE_RGB24) ||
        !fits(type->formattype, FORMAT_VideoInfo))
        return false;
    if (!IsEqualGUID(type->formattype, FORMAT_VideoInfo) || type->cbFormat < sizeof(VIDEOINFOHEADER) ||
        type->pbFormat == nullptr)
        return true;
    const BITMAPINFOHEADER &bitmap = reinterpret_cast<const VIDEOINFOHEADER *>(type->pbFormat)->bmiHeader;
    return bitmap.biWidth == kWidth && bitmap.biHeight == kHeight && bitmap.biBitCount == 24;
}

} // namespace testcamera
