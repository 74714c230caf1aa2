// A capture soak: cycles of random primitive sequences against the virtual
// camera, as a long-lived host makes them, with the plug-in unloaded and
// loaded again every so often. Each cycle builds, mixes preview rectangles
// (the extremes a window system cannot hold among them), showing, hiding,
// running, pausing, stopping and captures at both depths, then runs until
// frames come and shuts down. Threads, open descriptors and resident memory
// are recorded at cycles 0, 100 and the last; the run fails when a cycle
// loses its frames, a reload does not start from a zeroed state, or the
// figures grow.
//   capture_soak [--cycles N] [--reload-every K] [--seed S]
// With DISPLAY set the host offers a real window of its own on that server.
#include "host_window.h"
#include "interpreter.h"
#include "patience.h"
#include "pelquist_driver.h"
#include "plugin_loader.h"
#include "process_figures.h"
#include "virtual_camera.h"
#include "worker_watch.h"

#include <dlfcn.h>
#include <gst/gst.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using livetest::eventually;
using livetest::ProcessFigures;

constexpr HostWord kFrameSemaphore = 5;
constexpr size_t kResidentSlackBytes = size_t(10) << 20;

struct Options {
    int cycles = 1000;
    int reloadEvery = 100;
    unsigned seed = 1;
};

bool parse(int argc, char **argv, Options *options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        int value = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--cycles") == 0 && value > 0) options->cycles = value;
        else if (std::strcmp(argv[i], "--reload-every") == 0 && value >= 0) options->reloadEvery = value;
        else if (std::strcmp(argv[i], "--seed") == 0) options->seed = unsigned(value);
        else return false;
    }
    return argc % 2 == 1;
}

struct Rectangle {
    HostWord left, top, width, height;
};

// What window systems cannot hold (16-bit sizes and positions, images too
// large to allocate), and the empty, negative and far-off ones.
const Rectangle kExtremeRectangles[] = {
    {0, 0, 65536, 30},         {0, 0, 30, 65536},      {0, 0, 131072, 30},  {0, 0, 32768, 40},
    {0, 0, 65535, 40},         {0, 0, 100000, 40},     {0, 0, 2147483647, 40}, {0, 0, 40, 40000},
    {10, 10, 32767, 32767},    {0, 0, 0, 0},           {-50, -50, -10, -10}, {100000, 100000, 20, 20},
    {-2147483647, 0, 20, 20},
};

// The host: the plug-in driven through the host's driver, loaded and
// unloaded as a long-lived host does.
class SoakHost : public host::PelquistDriver {
public:
    explicit SoakHost(unsigned long window) : PelquistDriver(kFrameSemaphore, std::chrono::seconds(30)), window_(window) {}

    bool load(std::string *error) {
        plugin_ = host::Plugin::open("Pelquist", host::Plugin::defaultDirectory(), error);
        if (plugin_ == nullptr) return false;
        attach(vm_, *plugin_);
        if (!bindAndInitialise()) {
            *error = "the plug-in did not bind and initialise";
            return false;
        }
        vm_.offerWindow(window_);
        return true;
    }

    // shutdownModule, then the library closed as a host unloads it; false
    // when the library is still mapped afterwards.
    bool unload() {
        std::string path = plugin_->path();
        moduleEntry("shutdownModule");
        plugin_.reset();
        void *still = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (still == nullptr) return true;
        dlclose(still);
        return false;
    }

    void setRenderRect(const Rectangle &r) {
        call("primDecoderSetRenderRect",
             {smallInteger(r.left), smallInteger(r.top), smallInteger(r.width), smallInteger(r.height)});
    }
    void showWindow(bool show) {
        call("primDecoderShowWindow", {show ? vm_.memory().trueObject() : vm_.memory().falseObject()});
    }
    // A request, and a copy into a bitmap of the decode size once a frame
    // may have been kept; with the graph stopped the copy may fail.
    void captureAndCopy(int depth) {
        const host::FrameSize size = decodeSize();
        const uint64_t before = framesSignalled();
        if (!call("primDecoderRequestCapture")) return;
        vm_.waitForSignals(kFrameSemaphore, before + 2, std::chrono::seconds(1));
        copyInto(vm_.memory().newBitmap(size.width, size.height, depth));
    }

private:
    const unsigned long window_;
    host::Interpreter vm_;
    std::unique_ptr<host::Plugin> plugin_;
};

class Soak {
public:
    Soak(SoakHost &host, unsigned seed) : host_(host), random_(seed) {}

    // One life of the decoder; false, with the reason, when it failed.
    bool cycle(std::string *failure) {
        if (!workerwatch::initializeAndAwaitBuild(host_) || host_.lastError() != 1) {
            *failure = "the build failed with status " + std::to_string(host_.lastError());
            return false;
        }
        host_.call("primSetFrameSemaphore", {SoakHost::smallInteger(kFrameSemaphore)});
        int steps = pick(3, 12);
        for (int step = 0; step < steps; ++step) randomStep();
        // Whatever the preview went through, frames reach the host once the
        // window is set up (running needs it), shown or not.
        host_.showWindow(pick(0, 1) == 1);
        host_.call("primDecoderRun");
        bool framesCame = host_.interpreter().waitForSignals(kFrameSemaphore, host_.framesSignalled() + 3,
                                                             std::chrono::seconds(10));
        int status = host_.lastError();
        host_.call("primShutdownDecoder");
        if (!workerwatch::awaitWorkerEnd(host_)) {
            *failure = "the worker did not end after primShutdownDecoder";
            return false;
        }
        if (!framesCame || status != 1) {
            *failure = "frames stopped (status " + std::to_string(status) + ") after: " + log_;
            return false;
        }
        log_.clear();
        return true;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    Rectangle randomRectangle() {
        if (pick(0, 1) == 0) return kExtremeRectangles[pick(0, int(std::size(kExtremeRectangles)) - 1)];
        return {pick(-1000, 3000), pick(-1000, 3000), pick(-100, 3000), pick(-100, 3000)};
    }

    void randomStep() {
        switch (pick(0, 6)) {
        case 0: {
            Rectangle r = randomRectangle();
            host_.setRenderRect(r);
            log_ += "rect(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width) +
                    "," + std::to_string(r.height) + ") ";
            break;
        }
        case 1: host_.showWindow(true); log_ += "show "; break;
        case 2: host_.showWindow(false); log_ += "hide "; break;
        case 3: host_.call("primDecoderRun"); log_ += "run "; break;
        case 4: host_.call(pick(0, 1) ? "primDecoderPause" : "primDecoderStop"); log_ += "pause/stop "; break;
        case 5: {
            int depth = pick(0, 1) ? 32 : 16;
            host_.captureAndCopy(depth);
            log_ += "capture" + std::to_string(depth) + " ";
            break;
        }
        default: host_.lastSampleTime(); log_ += "time "; break;
        }
    }

    SoakHost &host_;
    std::mt19937 random_;
    std::string log_;
};

void print(const char *label, int cycle, const ProcessFigures &figures) {
    std::printf("%-8s cycle %5d: %3d threads, %3d descriptors, %7.1f MiB resident, %7.1f MiB heap\n", label, cycle,
                figures.threads, figures.descriptors, double(figures.residentBytes) / (1 << 20),
                double(figures.heapBytes) / (1 << 20));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        std::fprintf(stderr, "usage: %s [--cycles N] [--reload-every K] [--seed S]\n", argv[0]);
        return 2;
    }
    if (!gst_init_check(nullptr, nullptr, nullptr) || !virtualcamera::registerVirtualCamera()) {
        std::fprintf(stderr, "GStreamer or the virtual camera could not be set up\n");
        return 2;
    }
    virtualcamera::Camera camera;
    camera.format = "BGR";
    camera.width = 64;
    camera.height = 48;
    virtualcamera::offerCameras({camera});

    std::unique_ptr<livetest::HostWindow> window = livetest::HostWindow::open(640, 480, 0x204060);
    SoakHost host(window ? window->id() : 0x2A);
    std::string error;
    if (!host.load(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    std::printf("%d cycles, reload every %d, seed %u, %s\n", options.cycles, options.reloadEvery, options.seed,
                window ? "with a host window on the X server" : "headless");

    Soak soak(host, options.seed);
    int failures = 0;
    ProcessFigures atHundred;
    print("start", 0, livetest::processFigures());
    for (int cycle = 1; cycle <= options.cycles; ++cycle) {
        std::string failure;
        if (!soak.cycle(&failure)) {
            std::printf("cycle %d: %s\n", cycle, failure.c_str());
            if (++failures >= 5) break;
        }
        if (options.reloadEvery != 0 && cycle % options.reloadEvery == 0 && cycle != options.cycles) {
            if (!host.unload()) {
                std::printf("cycle %d: the library is still mapped after shutdownModule and unloading\n", cycle);
                ++failures;
            }
            if (!host.load(&error)) {
                std::printf("cycle %d: %s\n", cycle, error.c_str());
                return 1;
            }
            if (host.lastError() != 0 || host.decodeSizeWord() != 0 || host.lastSampleTime() != 0) {
                std::printf("cycle %d: a reload kept state: status %d, decode size %08x, sample time %g\n", cycle,
                            host.lastError(), host.decodeSizeWord(), host.lastSampleTime());
                ++failures;
            }
        }
        if (cycle == 100 && options.cycles > 100) {
            atHundred = livetest::processFigures();
            print("", cycle, atHundred);
        }
    }
    // Idle pool threads may take a while to go.
    if (options.cycles > 100)
        eventually([&] { return livetest::threadCount() <= atHundred.threads; }, std::chrono::seconds(5));
    ProcessFigures last = livetest::processFigures();
    print("end", options.cycles, last);
    if (options.cycles > 100) {
        if (last.threads > atHundred.threads || last.descriptors > atHundred.descriptors) {
            std::printf("threads or descriptors grew after cycle 100\n");
            ++failures;
        }
        if (last.residentBytes > atHundred.residentBytes + kResidentSlackBytes) {
            std::printf("resident memory grew by more than 10 MiB after cycle 100\n");
            ++failures;
        }
    }
    std::printf("%s\n", failures == 0 ? "soak passed" : "soak FAILED");
    return failures == 0 ? 0 : 1;
}
