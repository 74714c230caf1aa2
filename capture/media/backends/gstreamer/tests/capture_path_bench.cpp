// The capture path's cost, mode by mode, against a plain GStreamer
// pipeline from the same virtual camera, in one run: the shipped plug-in
// loaded by name under the project's host, each camera offering one mode.
// For each: the whole process's CPU time per delivered frame, frames
// signalled against frames the camera sent, the time from a frame leaving
// the camera to the host's semaphore signal, and what a capture costs the
// host's thread at depth 32 and 16. The plain pipeline (device, jpegdec
// for MJPEG, videoconvert, an appsink in BGR whose callback copies each
// frame once) is timed the same way, to its callback. With --preview the
// plug-in's preview is shown in a host window (a display is needed).
// Prints a Markdown table. Usage:
//   capture_path_bench [--seconds N] [--preview] [MODE...]   (modes as
//   virtualcamera::cameraOfMode reads them; all webcam modes by default)
#include "host_window.h"
#include "interpreter.h"
#include "plugin_loader.h"
#include "virtual_camera.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr HostWord kSemaphore = 5;
constexpr int kCaptures = 30; // a depth

int64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Frame arrival times at the end of a path, in order, from any thread.
class Arrivals {
public:
    void note() {
        int64_t now = monotonicNanoseconds();
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
        if (recording_) times_.push_back(now);
    }
    uint64_t count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    void record(bool on) {
        std::lock_guard<std::mutex> lock(mutex_);
        recording_ = on;
        if (on) times_.clear();
    }
    std::vector<int64_t> times() {
        std::lock_guard<std::mutex> lock(mutex_);
        return times_;
    }

private:
    std::mutex mutex_;
    uint64_t count_ = 0;
    bool recording_ = false;
    std::vector<int64_t> times_;
};

Arrivals signals;
HostWord(HOST_CALL *hostSignal)(HostWord) = nullptr;

HostWord HOST_CALL timedSignal(HostWord index) {
    if (index == kSemaphore) signals.note();
    return hostSignal(index);
}

struct Figures {
    double cpuPerFrameMs = 0;
    uint64_t delivered = 0, made = 0;
    double latencyMedianMs = 0, latencyP95Ms = 0;
    bool latencyKnown = false;
    double copyMs[2] = {0, 0};       // depth 32, 16: request + copy on the host's thread
    double inBitmapMs[2] = {0, 0};   // from the request to the frame in the bitmap
};

// A frame's latency is its arrival less its send. One streaming thread
// carries each frame from the camera to the end of the path before the
// camera sends the next, so each send pairs with the first arrival after
// it; a frame still on its way when recording began arrives before the
// first send recorded, and is passed over.
void latencies(const std::vector<int64_t> &sent, const std::vector<int64_t> &arrived, Figures *figures) {
    std::vector<double> delays;
    size_t next = 0;
    for (int64_t send : sent) {
        while (next < arrived.size() && arrived[next] < send) ++next;
        if (next == arrived.size()) break;
        delays.push_back(double(arrived[next++] - send) * 1e-6);
    }
    if (delays.empty() || delays.size() + 2 < sent.size()) return; // frames lost on the way: no pairing
    std::sort(delays.begin(), delays.end());
    figures->latencyMedianMs = delays[delays.size() / 2];
    figures->latencyP95Ms = delays[delays.size() * 95 / 100];
    figures->latencyKnown = true;
}

// Counts, CPU and latency over the window, for a path already streaming.
void measureStreaming(double seconds, Arrivals &arrivals, Figures *figures) {
    std::this_thread::sleep_for(std::chrono::seconds(1)); // settled
    virtualcamera::takeSendTimes();
    arrivals.record(true);
    virtualcamera::recordSendTimes(true);
    const uint64_t made = virtualcamera::framesSent(), arrived = arrivals.count();
    const double cpu = processCpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpuUsed = processCpuSeconds() - cpu;
    figures->made = virtualcamera::framesSent() - made;
    figures->delivered = arrivals.count() - arrived;
    virtualcamera::recordSendTimes(false);
    arrivals.record(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the last frames in flight
    figures->cpuPerFrameMs = figures->delivered > 0 ? cpuUsed * 1e3 / double(figures->delivered) : 0;
    std::vector<int64_t> sent = virtualcamera::takeSendTimes();
    std::vector<int64_t> ends = arrivals.times();
    latencies(sent, ends, figures);
}

class PluginHost {
public:
    PluginHost(host::Plugin &plugin, unsigned long window) : plugin_(plugin) {
        table_ = *vm_.table();
        hostSignal = table_.signalSemaphore;
        table_.signalSemaphore = timedSignal;
        plugin_.bind(&table_);
        entry("initialiseModule")();
        receiver_ = vm_.memory().newPointers(0);
        vm_.offerWindow(window != 0 ? HostWord(window) : 0x2A);
    }
    ~PluginHost() { entry("shutdownModule")(); }

    bool call(const char *primitive, std::initializer_list<HostWord> arguments = {}) {
        host::Plugin::Primitive entry = plugin_.primitive(primitive);
        vm_.prepareCall(receiver_, arguments);
        entry();
        return !vm_.failed();
    }
    HostWord integer(HostWord value) { return host::ObjectMemory::smallInteger(value); }
    int lastError() {
        call("primDecoderGetLastError");
        return int(host::ObjectMemory::smallIntegerValue(vm_.stack().back()));
    }
    uint32_t decodeSize() {
        call("primDecoderGetDecodeSize");
        return vm_.memory().positiveIntegerValue(vm_.stack().back());
    }
    // Builds, shows the preview and runs until frames come; false on failure.
    bool start(bool preview) {
        if (!call("primInitializeDecoder")) return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (decodeSize() == 0 && lastError() <= 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (decodeSize() == 0) return false;
        if (preview) call("primDecoderSetRenderRect", {integer(0), integer(0), integer(640), integer(480)});
        call("primDecoderShowWindow", {vm_.memory().trueObject()});
        call("primSetFrameSemaphore", {integer(kSemaphore)});
        call("primDecoderRun");
        return vm_.waitForSignals(kSemaphore, vm_.signalCount(kSemaphore) + 3, std::chrono::seconds(20));
    }
    // Request + copy on the host's thread, and request to frame in the
    // bitmap, each the median of kCaptures.
    void measureCaptures(Figures *figures) {
        const uint32_t size = decodeSize();
        for (int depthIndex = 0; depthIndex < 2; ++depthIndex) {
            HostWord bitmap = vm_.memory().newBitmap(int(size >> 16), int(size & 0xFFFF), depthIndex == 0 ? 32 : 16);
            std::vector<double> costs, waits;
            for (int capture = 0; capture < kCaptures; ++capture) {
                const uint64_t before = vm_.signalCount(kSemaphore);
                auto requested = std::chrono::steady_clock::now();
                call("primDecoderRequestCapture");
                double requestCost = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - requested).count();
                vm_.waitForSignals(kSemaphore, before + 1, std::chrono::seconds(5));
                auto copying = std::chrono::steady_clock::now();
                call("primDecoderCopyLastCapturedFrameInto", {bitmap});
                auto copied = std::chrono::steady_clock::now();
                costs.push_back(requestCost + std::chrono::duration<double, std::milli>(copied - copying).count());
                waits.push_back(std::chrono::duration<double, std::milli>(copied - requested).count());
            }
            figures->copyMs[depthIndex] = median(costs);
            figures->inBitmapMs[depthIndex] = median(waits);
        }
    }

private:
    host::Plugin::Primitive entry(const char *name) {
        return reinterpret_cast<host::Plugin::Primitive>(plugin_.symbol(name));
    }
    host::Plugin &plugin_;
    host::Interpreter vm_;
    HostInterface table_{};
    HostWord receiver_ = 0;
};

// The plain pipeline's end: copies each frame once.
struct PlainSink {
    Arrivals arrivals;
    std::vector<uint8_t> copy;
};

GstFlowReturn takeSample(GstAppSink *sink, gpointer data) {
    auto *plain = static_cast<PlainSink *>(data);
    GstSample *sample = gst_app_sink_pull_sample(sink);
    if (sample == nullptr) return GST_FLOW_OK;
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        plain->copy.resize(map.size);
        std::memcpy(plain->copy.data(), map.data, map.size);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    plain->arrivals.note();
    return GST_FLOW_OK;
}

GstDevice *firstCamera() {
    GstDeviceMonitor *monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    GList *devices = gst_device_monitor_get_devices(monitor);
    gst_object_unref(monitor);
    GstDevice *first = devices != nullptr ? GST_DEVICE(gst_object_ref(devices->data)) : nullptr;
    g_list_free_full(devices, gst_object_unref);
    return first;
}

bool measurePlainPipeline(const virtualcamera::Camera &camera, double seconds, Figures *figures) {
    GstDevice *device = firstCamera();
    if (device == nullptr) return false;
    GstElement *source = gst_device_create_element(device, nullptr);
    gst_object_unref(device);
    if (source == nullptr) return false;
    GstElement *pipeline = gst_pipeline_new(nullptr);
    GstElement *decoder = camera.output == virtualcamera::Output::Jpeg ? gst_element_factory_make("jpegdec", nullptr)
                                                                       : gst_element_factory_make("identity", nullptr);
    GstElement *convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement *sink = gst_element_factory_make("appsink", nullptr);
    GstCaps *bgr = gst_caps_from_string("video/x-raw,format=BGR");
    g_object_set(sink, "caps", bgr, "sync", FALSE, "enable-last-sample", FALSE, nullptr);
    gst_caps_unref(bgr);
    PlainSink plain;
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = takeSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, &plain, nullptr);
    gst_bin_add_many(GST_BIN(pipeline), source, decoder, convert, sink, nullptr);
    bool ok = gst_element_link_many(source, decoder, convert, sink, nullptr) &&
              gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ok && plain.arrivals.count() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ok = ok && plain.arrivals.count() >= 3;
    if (ok)
        measureStreaming(seconds, plain.arrivals, figures);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

bool measurePlugin(host::Plugin &plugin, unsigned long window, bool preview, double seconds, Figures *figures) {
    PluginHost session(plugin, window);
    if (!session.start(preview)) return false;
    measureStreaming(seconds, signals, figures);
    session.measureCaptures(figures);
    return true;
}

std::string latencyText(const Figures &figures) {
    if (!figures.latencyKnown) return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f / %.2f", figures.latencyMedianMs, figures.latencyP95Ms);
    return text;
}

} // namespace

int main(int argc, char **argv) {
    double seconds = 10;
    bool preview = false;
    std::vector<std::string> modes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--preview") == 0)
            preview = true;
        else
            modes.push_back(argv[i]);
    }
    if (modes.empty())
        for (const char *format : {"yuy2", "nv12", "mjpeg"})
            for (const virtualcamera::Mode &mode : virtualcamera::kWebcamModes)
                modes.push_back(std::string(format) + "-" + std::to_string(mode.width) + "x" +
                                std::to_string(mode.height) + "@" + std::to_string(mode.framesPerSecond));

    gst_init(&argc, &argv);
    if (!virtualcamera::registerVirtualCamera()) return 1;
    std::unique_ptr<livetest::HostWindow> window;
    if (preview) {
        window = livetest::HostWindow::open(640, 480, 0x204060);
        if (window == nullptr) {
            std::fprintf(stderr, "--preview needs a display\n");
            return 1;
        }
    }
    std::string error;
    std::unique_ptr<host::Plugin> plugin = host::Plugin::open("Pelquist", host::Plugin::defaultDirectory(), &error);
    if (plugin == nullptr) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    std::printf("%s, %.0f s a mode\n\n", preview ? "Preview shown (Xvfb)" : "Headless", seconds);
    std::printf("| Mode | CPU ms/frame: plug-in / plain = ratio | Frames signalled / made | Plain: delivered / made |"
                " Camera to signal ms, median / p95 (plain: to its callback) | Request + copy ms, depth 32 / 16 |"
                " Request to bitmap ms, 32 / 16 |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    int status = 0;
    for (const std::string &mode : modes) {
        virtualcamera::Camera camera;
        if (!virtualcamera::cameraOfMode(mode, &camera)) {
            std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
            return 1;
        }
        camera.laterModes.clear(); // both paths in that mode
        virtualcamera::offerCameras({camera});
        Figures ours, plain;
        bool measured = measurePlugin(*plugin, window != nullptr ? window->id() : 0, preview, seconds, &ours) &&
                        measurePlainPipeline(camera, seconds, &plain);
        if (!measured) {
            std::printf("| %s | failed | | | | | |\n", mode.c_str());
            status = 1;
            continue;
        }
        std::printf("| %s | %.2f / %.2f = %.2f | %llu / %llu (%.1f %%) | %llu / %llu | %s (%s) | %.2f / %.2f | %.1f / %.1f |\n",
                    mode.c_str(), ours.cpuPerFrameMs, plain.cpuPerFrameMs,
                    plain.cpuPerFrameMs > 0 ? ours.cpuPerFrameMs / plain.cpuPerFrameMs : 0.0,
                    (unsigned long long)ours.delivered, (unsigned long long)ours.made,
                    ours.made > 0 ? 100.0 * double(ours.delivered) / double(ours.made) : 0.0,
                    (unsigned long long)plain.delivered, (unsigned long long)plain.made, latencyText(ours).c_str(),
                    latencyText(plain).c_str(), ours.copyMs[0], ours.copyMs[1], ours.inBitmapMs[0], ours.inBitmapMs[1]);
        std::fflush(stdout);
    }
    return status;
}
