#include "test_platform.h"

#include "class_registry.h"
#include "test_objects.h"
#include "win32_threads.h"

#include <algorithm>

namespace testplatform {
namespace {

template <class Condition>
bool waitUntil(std::chrono::milliseconds timeout, Condition condition) {
    PlatformState &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    return s.changed.wait_for(lock, timeout, condition);
}

void noteContext(const char *className, DWORD context) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().contexts[className] = context;
}

HRESULT createFilterGraph(IUnknown *outer, DWORD context, REFIID iid, void **out) {
    checkpoint(Hold::CreateGraph);
    noteContext("FilterGraph", context);
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (failing(Step::CreateGraph)) return REGDB_E_CLASSNOTREG;
    return createAs<FilterGraph>(iid, out);
}

HRESULT createSystemDeviceEnum(IUnknown *outer, DWORD context, REFIID iid, void **out) {
    noteContext("SystemDeviceEnum", context);
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return createDeviceEnumerator(iid, out);
}

HRESULT createSampleGrabber(IUnknown *outer, DWORD context, REFIID iid, void **out) {
    noteContext("SampleGrabber", context);
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (failing(Step::CreateGrabber)) return REGDB_E_CLASSNOTREG;
    return createAs<SampleGrabber>(iid, out);
}

} // namespace

Frame rgb24Frame(int width, int height, double sampleTime, const std::function<Bgr(int x, int y)> &pixelAt) {
    size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    Frame frame;
    frame.sampleTime = sampleTime;
    frame.bytes.assign(stride * size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        uint8_t *row = frame.bytes.data() + stride * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            Bgr pixel = pixelAt(x, y);
            std::copy(pixel.begin(), pixel.end(), row + 3 * x);
        }
    }
    return frame;
}

TestPlatform::TestPlatform() {
    configure(Script{});
    clearLog();
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().frames.clear();
        state().delivered = 0;
        state().holdArmed = false;
        state().requestedType = AM_MEDIA_TYPE{};
        state().requestedFormat = VIDEOINFOHEADER{};
        state().contexts.clear();
        state().callback = nullptr;
        state().events.clear();
    }
    media::registerClass(CLSID_FilterGraph, createFilterGraph);
    media::registerClass(CLSID_SystemDeviceEnum, createSystemDeviceEnum);
    media::registerClass(CLSID_SampleGrabber, createSampleGrabber);
}

TestPlatform::~TestPlatform() {
    releaseHold();
    media::unregisterClass(CLSID_FilterGraph);
    media::unregisterClass(CLSID_SystemDeviceEnum);
    media::unregisterClass(CLSID_SampleGrabber);
}

void TestPlatform::configure(const Script &script) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().script = script;
    state().connectedWidth = script.connectedWidth;
    state().connectedHeight = script.connectedHeight;
}

Script TestPlatform::script() { return currentScript(); }

std::vector<std::string> TestPlatform::log() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().log;
}

bool TestPlatform::logged(const std::string &entry) {
    std::vector<std::string> entries = log();
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

void TestPlatform::clearLog() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().log.clear();
}

int TestPlatform::liveObjects() { return state().live.load(); }

void TestPlatform::pushFrame(Frame frame) {
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().frames.push_back(std::move(frame));
    }
    state().changed.notify_all();
}

bool TestPlatform::waitForFramesDelivered(int count, std::chrono::milliseconds timeout) {
    return waitUntil(timeout, [&] { return state().delivered >= count; });
}

void TestPlatform::raiseEvent(GraphEvent event) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().events.push_back(event);
    if (state().eventsWaiting != nullptr) SetEvent(state().eventsWaiting);
}

void TestPlatform::holdAt(Hold point) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().holdArmed = true;
    state().holdPoint = point;
}

bool TestPlatform::waitUntilHeld(std::chrono::milliseconds timeout) {
    return waitUntil(timeout, [] { return state().holding; });
}

void TestPlatform::releaseHold() {
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().holdArmed = false;
    }
    state().changed.notify_all();
}

AM_MEDIA_TYPE TestPlatform::requestedMediaType() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().requestedType;
}

VIDEOINFOHEADER TestPlatform::requestedVideoFormat() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().requestedFormat;
}

std::map<std::string, DWORD> TestPlatform::creationContexts() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().contexts;
}

ISampleGrabberCB *TestPlatform::registeredCallback() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().callback;
}

} // namespace testplatform
