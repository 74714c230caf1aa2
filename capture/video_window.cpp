#include "video_window.h"

#include "capture_graph.h"
#include "com_ptr.h"
#include "exclusive_lock.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

struct DecodeResolution {
    HostWord width, height;
    int display;
};

const DecodeResolution kDecodeResolutions[] = {
    {720, 480, DVRESOLUTION_FULL},
    {360, 240, DVRESOLUTION_HALF},
    {180, 120, DVRESOLUTION_QUARTER},
    {88, 60, DVRESOLUTION_DC},
};

// The row whose width matches, if its height matches too.
const DecodeResolution *decodeResolutionOf(HostWord width, HostWord height) {
    for (const DecodeResolution &row : kDecodeResolutions)
        if (row.width == width) return row.height == height ? &row : nullptr;
    return nullptr;
}

// Host words may be wider than the window's values: the nearest value
// that fits, not whatever the low bits happen to say.
LONG saturatedLong(HostWord value) {
    return static_cast<LONG>(
        std::clamp<int64_t>(value, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

} // namespace

int setRenderRect(HostWord left, HostWord top, HostWord width, HostWord height) {
    decoder.renderLeft = saturatedLong(left);
    decoder.renderTop = saturatedLong(top);
    decoder.renderWidth = saturatedLong(width);
    decoder.renderHeight = saturatedLong(height);
    setStatus(StatusSuccess);
    return 1;
}

// The graph lock keeps the worker's teardown from releasing the graph
// while its window is configured here.
int showVideoWindow(int show) {
    ExclusiveLock lock(decoder.graphLock);
    IGraphBuilder *graph = decoder.graph.load();
    OAHWND hostWindow = decoder.hostWindow.load();
    if (graph == nullptr || hostWindow == 0) {
        setStatus(StatusPreconditionMissing);
        return 0;
    }
    ComPtr<IVideoWindow> window;
    if (FAILED(graph->QueryInterface(IID_IVideoWindow, window.outAsVoid())) || !window) {
        setStatus(StatusInterfaceMissing);
        return 0;
    }
    window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
    if (show != 0) {
        window->put_AutoShow(OATRUE);
        window->put_Owner(hostWindow);
        window->put_Visible(OATRUE);
    } else {
        window->put_AutoShow(OAFALSE);
        window->put_Visible(OAFALSE);
        window->put_Owner(0);
    }
    window->put_Left(decoder.renderLeft);
    window->put_Top(decoder.renderTop);
    window->put_Width(decoder.renderWidth);
    window->put_Height(decoder.renderHeight);
    decoder.windowReady.store(1);
    window.reset();
    setStatus(StatusSuccess);
    return 1;
}

IIPDVDec *findDvDecoder() {
    IGraphBuilder *graph = decoder.graph.load();
    if (graph == nullptr) return nullptr;
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(filters.out()))) return nullptr;
    ComPtr<IBaseFilter> filter;
    ULONG fetched = 0;
    while (filters->Next(1, filter.out(), &fetched) == S_OK) {
        IIPDVDec *dvDecoder = nullptr;
        if (SUCCEEDED(filter->QueryInterface(IID_IIPDVDec, reinterpret_cast<void **>(&dvDecoder))) &&
            dvDecoder != nullptr)
            return dvDecoder;
    }
    return nullptr;
}

// Under the graph lock for the same reason as the window; the frame
// buffer's own lock is taken inside it.
int setDecodeSize(HostWord width, HostWord height) {
    ExclusiveLock lock(decoder.graphLock);
    ComPtr<IIPDVDec> dvDecoder(findDvDecoder());
    if (!dvDecoder) {
        setStatus(StatusDecodeSizeRejected);
        return 0;
    }
    const DecodeResolution *resolution = decodeResolutionOf(width, height);
    bool accepted = resolution != nullptr && SUCCEEDED(dvDecoder->put_IPDisplay(resolution->display));
    dvDecoder.reset();
    if (!accepted) {
        setStatus(StatusDecodeSizeRejected);
        return 0;
    }
    return allocateFrameBuffer();
}
