// The GStreamer backend's classes straight through the layer's runtime,
// as the capture logic reaches them: what they refuse and report where a
// whole capture never goes.
#include "media_platform.h"

#include <gtest/gtest.h>

namespace livetest {
namespace {

template <class Interface>
Interface *create(REFCLSID clsid, REFIID iid) {
    void *object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, &object), S_OK);
    return static_cast<Interface *>(object);
}

// The pin of that direction, or null.
IPin *pinOf(IUnknown *object, PIN_DIRECTION wanted) {
    IBaseFilter *filter = nullptr;
    object->QueryInterface(IID_IBaseFilter, reinterpret_cast<void **>(&filter));
    if (filter == nullptr) return nullptr;
    IEnumPins *pins = nullptr;
    filter->EnumPins(&pins);
    filter->Release();
    IPin *pin = nullptr, *found = nullptr;
    while (found == nullptr && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction = PINDIR_INPUT;
        pin->QueryDirection(&direction);
        if (direction == wanted)
            found = pin;
        else
            pin->Release();
    }
    pins->Release();
    return found;
}

TEST(GStreamerClasses, UnknownClassesAndAggregationAreRefused) {
    void *object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_VideoInputDeviceCategory, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    IGraphBuilder *outer = create<IGraphBuilder>(CLSID_FilterGraph, IID_IGraphBuilder);
    ASSERT_NE(outer, nullptr);
    for (const CLSID &clsid : {CLSID_FilterGraph, CLSID_SystemDeviceEnum, CLSID_SampleGrabber}) {
        object = &object;
        EXPECT_EQ(CoCreateInstance(clsid, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(object, nullptr);
    }
    outer->Release();
}

TEST(GStreamerClasses, TheGrabberTakesOnlyRgb24AndHasNoTypeUnconnected) {
    ISampleGrabber *grabber = create<ISampleGrabber>(CLSID_SampleGrabber, IID_ISampleGrabber);
    ASSERT_NE(grabber, nullptr);
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = MEDIASUBTYPE_RGB24;
    EXPECT_EQ(grabber->SetMediaType(&type), S_OK);
    type.subtype = MEDIATYPE_Video;
    EXPECT_EQ(grabber->SetMediaType(&type), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(grabber->SetMediaType(nullptr), E_POINTER);
    AM_MEDIA_TYPE connected{};
    EXPECT_EQ(grabber->GetConnectedMediaType(&connected), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(connected.pbFormat, nullptr);
    grabber->Release();
}

TEST(GStreamerClasses, TheGraphJoinsOnlyPinsOfItsOwnFilters) {
    IGraphBuilder *graph = create<IGraphBuilder>(CLSID_FilterGraph, IID_IGraphBuilder);
    ISampleGrabber *first = create<ISampleGrabber>(CLSID_SampleGrabber, IID_ISampleGrabber);
    ISampleGrabber *second = create<ISampleGrabber>(CLSID_SampleGrabber, IID_ISampleGrabber);
    ASSERT_TRUE(graph != nullptr && first != nullptr && second != nullptr);
    IPin *out = pinOf(first, PINDIR_OUTPUT);
    IPin *in = pinOf(second, PINDIR_INPUT);
    ASSERT_TRUE(out != nullptr && in != nullptr);

    EXPECT_EQ(graph->Connect(nullptr, in), E_POINTER);
    EXPECT_EQ(graph->Connect(out, in), VFW_E_CANNOT_CONNECT); // neither was added
    EXPECT_EQ(graph->Render(out), VFW_E_CANNOT_RENDER);
    EXPECT_EQ(graph->Connect(in, out), VFW_E_CANNOT_CONNECT); // the wrong way round

    IBaseFilter *filter = nullptr;
    first->QueryInterface(IID_IBaseFilter, reinterpret_cast<void **>(&filter));
    EXPECT_EQ(graph->AddFilter(filter, L"Grabber"), S_OK);
    EXPECT_EQ(graph->AddFilter(filter, L"Again"), E_INVALIDARG);
    EXPECT_EQ(graph->Render(out), S_OK);
    EXPECT_EQ(graph->Render(out), VFW_E_CANNOT_RENDER); // already rendered
    filter->Release();

    in->Release();
    out->Release();
    second->Release();
    first->Release();
    graph->Release();
}

// Before anything renders, and with no display at all, the window's
// settings are kept and the calls succeed.
TEST(GStreamerClasses, WindowCallsSucceedWithoutAWindow) {
    IGraphBuilder *graph = create<IGraphBuilder>(CLSID_FilterGraph, IID_IGraphBuilder);
    ASSERT_NE(graph, nullptr);
    IVideoWindow *window = nullptr;
    ASSERT_EQ(graph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void **>(&window)), S_OK);
    EXPECT_EQ(window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS), S_OK);
    EXPECT_EQ(window->put_Owner(0x2A), S_OK);
    EXPECT_EQ(window->put_Visible(OATRUE), S_OK);
    EXPECT_EQ(window->put_Width(-5), S_OK);
    EXPECT_EQ(window->put_Owner(0), S_OK);
    window->Release();
    graph->Release();
}

} // namespace
} // namespace livetest
