// A scriptable media platform for tests: it registers the filter graph, the
// system device enumerator and the sample grabber classes into the layer's
// runtime, plays devices, failing steps, a DV decoder and a streaming
// thread as a test asks, and logs the calls that matter. Its objects count
// themselves, so a test can check that every one was released.
// One TestPlatform at a time; its methods may be called from any thread.
#ifndef CAPTURE_TEST_PLATFORM_H
#define CAPTURE_TEST_PLATFORM_H

#include "direct_show.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace testplatform {

// Steps of a graph build that can be made to fail.
enum class Step {
    CreateGraph,           // the filter graph class makes nothing
    CreateDeviceEnumerator, // the system device enumerator class makes nothing
    CreateGrabber,         // the sample grabber class makes nothing
    GrabberFilter,         // the grabber answers no IBaseFilter
    SetMediaType,          // the grabber refuses the media type
    AddFilter,             // the graph refuses every filter
    Connect,               // the graph cannot connect the pins
    Render,                // the graph cannot render the pin
    GetConnectedMediaType, // the grabber reports no connected type
    SetCallback,           // the grabber refuses the frame callback
    MediaControl,          // the graph answers no IMediaControl
    VideoWindow,           // the graph answers no IVideoWindow
    Run,                   // the graph refuses to run
    Pause,                 // the graph refuses to pause
    Stop,                  // the graph refuses to stop
};

// Calls at which the platform can hold the calling thread until released.
enum class Hold {
    CreateGraph, // making the filter graph
    Render,      // the graph rendering the grabber's output
    HideWindow,  // the window's put_Visible(OAFALSE)
};

struct Device {
    bool binds = true;         // its moniker binds to a filter
    bool hasOutputPin = true;  // its filter has its output pins
};

struct DvDecoder {
    std::set<int> refusedDisplays; // put_IPDisplay values it refuses
};

struct Script {
    std::vector<Device> devices{Device{}};
    std::set<Step> failing;
    LONG connectedWidth = 320;
    LONG connectedHeight = 240;
    bool formatBlockMissing = false; // the connected type comes without one
    bool hasDvDecoder = false;       // Connect inserts a DV decoder
    DvDecoder dvDecoder;
};

// A media event the graph reports to its owner.
struct GraphEvent {
    LONG code = 0;
    LONG_PTR first = 0, second = 0;
};

// One sample as the grabber delivers it.
struct Frame {
    double sampleTime = 0.0;
    std::vector<uint8_t> bytes;
};

// Blue, green and red of a pixel.
using Bgr = std::array<uint8_t, 3>;

// An RGB24 frame: rows bottom-up, each padded to a multiple of 4 bytes.
// pixelAt is asked with y counted from the top of the picture.
Frame rgb24Frame(int width, int height, double sampleTime, const std::function<Bgr(int x, int y)> &pixelAt);

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPatience{10000};

class TestPlatform {
public:
    TestPlatform();
    ~TestPlatform();
    TestPlatform(const TestPlatform &) = delete;
    TestPlatform &operator=(const TestPlatform &) = delete;

    void configure(const Script &script);
    Script script();

    // The calls that matter, in order: "Run", "Pause", "Stop", each window
    // call with its value ("put_Owner 42"), "AddFilter Cap", "Connect",
    // "Render", "put_IPDisplay 1001", the grabber settings, "Bind device 1",
    // and "Release <object>" when an object's last reference goes.
    std::vector<std::string> log();
    bool logged(const std::string &entry);
    void clearLog();

    // COM objects alive.
    int liveObjects();

    // Frames wait in a queue that the running graph's streaming thread
    // empties through the registered callback.
    void pushFrame(Frame frame);
    bool waitForFramesDelivered(int count, std::chrono::milliseconds timeout = kPatience);

    // The graph reports the event, as the framework's graph reports a
    // device lost or a stream aborted.
    void raiseEvent(GraphEvent event);

    void holdAt(Hold point);
    bool waitUntilHeld(std::chrono::milliseconds timeout = kPatience);
    void releaseHold();

    // What the build gave the platform.
    AM_MEDIA_TYPE requestedMediaType();     // pbFormat cleared
    VIDEOINFOHEADER requestedVideoFormat();
    std::map<std::string, DWORD> creationContexts(); // class name -> context
    ISampleGrabberCB *registeredCallback();
};

} // namespace testplatform

#endif
