// Demo host for the whole mission: a live frame from the camera, through
// the capture library into a host bitmap, through every filter of the
// filter library, onto a contact sheet. It opens its main window when
// there is a display and shows the live preview inside it; without a
// camera it captures from the virtual camera, and says so.
#include "camera_survey.h"
#include "capture_host.h"
#include "command_line.h"
#include "contact_sheet.h"
#include "demo_effects.h"
#include "demo_window.h"
#include "filter_host.h"
#include "live_session.h"
#include "plugin_directory.h"
#include "png_image.h"

#include "virtual_camera.h"

#include <gst/gst.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using demo::CaptureHost;
using demo::FilterHost;
using Clock = std::chrono::steady_clock;

constexpr const char *kDefaultOutput = "out/contact-sheet.png";
constexpr int kDefaultFrames = 90;
constexpr HostWord kFrameSemaphore = 1;
constexpr int kWindowWidth = 672, kWindowHeight = 512;
constexpr int kPreviewLeft = 16, kPreviewTop = 16, kPreviewWidth = 640, kPreviewHeight = 480;
// A placeholder "stWindow" where there is no display: the preview has no
// window then, but the capture library wants a handle to configure.
constexpr HostWord kNoWindow = 1;
constexpr auto kPatience = std::chrono::seconds(20);

struct Options {
    std::string output = kDefaultOutput;
    int frames = kDefaultFrames;
    int virtualWidth = 0, virtualHeight = 0;
};

void printUsage(std::FILE *stream) {
    std::fprintf(stream,
                 "Usage: capture_demo [--output FILE.png] [--frames N]\n"
                 "\n"
                 "Captures live video with the Pelquist library from the first camera (the\n"
                 "virtual camera when there is none), shows the preview in its window when\n"
                 "there is a display, measures N frames (default %d), keeps one frame, runs\n"
                 "the eight Mardolin filters on it and writes a contact sheet of the results.\n"
                 "With a display it then shows the frames live with an effect applied, in a\n"
                 "window of their own: keys 1-8 or a click on a name pick the effect, 0 none,\n"
                 "s writes the contact sheet of the frame shown, q or closing a window quits.\n"
                 "Plug-ins come from PLUGIN_DIRECTORY, else from the installed plug-in folder\n"
                 "beside bin/, else from the build's lib/.\n"
                 "\n"
                 "  --output FILE.png  contact sheet to write (default %s)\n"
                 "  --frames N         frames to measure the frame rate over\n"
                 "  --virtual-size WxH the size of the built-in virtual camera's frames\n"
                 "                     (default 320x240; not the installed plugin's)\n"
                 "  --help             show this text\n",
                 kDefaultFrames, kDefaultOutput);
}

// Keeps a positive number of frames.
demo::OptionReader storeFrames(int *frames) {
    return [frames](const std::string &value, std::string *error) {
        *frames = std::atoi(value.c_str());
        if (*frames >= 1) return true;
        *error = "--frames wants a positive number";
        return false;
    };
}

// Keeps a frame size WxH.
demo::OptionReader storeSize(int *width, int *height) {
    return [width, height](const std::string &value, std::string *error) {
        if (std::sscanf(value.c_str(), "%dx%d", width, height) == 2 && *width >= 2 && *height >= 2 &&
            *width <= 4096 && *height <= 4096)
            return true;
        *error = "--virtual-size wants WxH, each from 2 to 4096";
        return false;
    };
}

// Numbered steps, each reporting what it took.
class Progress {
public:
    Progress(int steps, demo::DemoWindow *window) : steps_(steps), window_(window) {}
    void begin(const std::string &what) {
        what_ = what;
        ++step_;
        std::printf("[%d/%d] %s...\n", step_, steps_, what.c_str());
        std::fflush(stdout);
        if (window_ != nullptr) window_->setTitle("Capture demo - " + what);
        start_ = Clock::now();
    }
    void end(const std::string &result = std::string()) {
        const double milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
        std::printf("      %s%s%.1f ms\n", result.c_str(), result.empty() ? "" : ", ", milliseconds);
        std::fflush(stdout);
    }

private:
    const int steps_;
    demo::DemoWindow *const window_;
    int step_ = 0;
    std::string what_;
    Clock::time_point start_;
};

int fail(const std::string &message) {
    std::fprintf(stderr, "capture_demo: %s\n", message.c_str());
    return 1;
}

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

} // namespace

int main(int argc, char **argv) {
    Options options;
    const demo::CommandLine commandLine{
        "capture_demo",
        printUsage,
        {{"--output", demo::storeValue(&options.output)}, {"--frames", storeFrames(&options.frames)},
         {"--virtual-size", storeSize(&options.virtualWidth, &options.virtualHeight)}}};
    if (const std::optional<int> status = demo::readCommandLine(commandLine, argc, argv)) return *status;
    std::string error;

    std::unique_ptr<demo::DemoWindow> window =
        demo::DemoWindow::open(kWindowWidth, kWindowHeight, "Capture demo - starting");
    Progress progress(window != nullptr ? 9 : 8, window.get());

    progress.begin("Looking for a camera");
    if (!gst_init_check(nullptr, nullptr, nullptr)) return fail("GStreamer cannot be initialised");
    // Unless GStreamer found the installed one as a plugin.
    virtualcamera::registerVirtualCamera();
    if (options.virtualWidth != 0) {
        virtualcamera::Camera virtualCamera;
        virtualCamera.width = options.virtualWidth;
        virtualCamera.height = options.virtualHeight;
        virtualcamera::offerCameras({virtualCamera});
    }
    const demo::CameraSurvey camera = demo::surveyCameras();
    if (!camera.found) return fail("no video input device, not even the virtual camera");
    progress.end(camera.virtualCamera ? "no camera found: using the virtual camera, \"" + camera.name + "\""
                                      : "using \"" + camera.name + "\"");
    if (window == nullptr) std::printf("      no display: no preview window, the capture goes on without one\n");

    progress.begin("Loading the plug-ins");
    const std::string directory = demo::pluginDirectory();
    std::unique_ptr<FilterHost> filters = FilterHost::open("Mardolin", directory, &error);
    if (filters == nullptr) return fail("cannot load Mardolin: " + error);
    std::unique_ptr<CaptureHost> capture =
        CaptureHost::open(filters->interpreter(), directory, kFrameSemaphore, kPatience, &error);
    if (capture == nullptr) return fail("cannot load Pelquist: " + error);
    filters->interpreter().offerWindow(window != nullptr ? HostWord(window->id()) : kNoWindow);
    progress.end(filters->moduleName() + " and " + capture->moduleName() + " from " + directory);

    progress.begin("Building the capture graph");
    if (!capture->startDecoder())
        return fail(std::string("the capture graph was not built: ") + host::decoderStatusText(capture->lastError()));
    const host::FrameSize size = capture->decodeSize();
    progress.end("frames of " + sizeText(size.width, size.height));

    progress.begin("Starting the live preview");
    if (!capture->showPreview(kPreviewLeft, kPreviewTop, kPreviewWidth, kPreviewHeight) ||
        !capture->runWithFrameSemaphore())
        return fail(std::string("the graph does not run: ") + host::decoderStatusText(capture->lastError()));
    if (!capture->awaitFrames(1)) return fail("no frame arrived");
    progress.end("first frame in");

    progress.begin("Measuring " + std::to_string(options.frames) + " frames");
    const uint64_t first = capture->framesSignalled();
    const Clock::time_point measureStart = Clock::now();
    for (int frame = 1; frame <= options.frames; ++frame) {
        if (!capture->awaitFrames(first + uint64_t(frame)))
            return fail("frames stopped after " + std::to_string(frame - 1));
        if (frame % 30 == 0 || frame == options.frames) {
            std::printf("      %d/%d frames\r", frame, options.frames);
            std::fflush(stdout);
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - measureStart).count();
    std::printf("\n");
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.1f frames per second", options.frames / seconds);
    progress.end(rate);

    progress.begin("Capturing a frame into a 32-bit bitmap");
    const HostWord bitmap = capture->captureIntoNewBitmap(32);
    if (bitmap == 0)
        return fail(std::string("no frame was captured: ") + host::decoderStatusText(capture->lastError()));
    const demo::Picture frame = filters->pictureOf(bitmap);
    progress.end(sizeText(frame.width, frame.height));

    progress.begin("Applying the eight filters");
    int failures = 0;
    const std::vector<demo::Tile> tiles = demo::applyEffects(*filters, frame, "Live frame", &failures);
    progress.end(failures == 0 ? "all applied" : std::to_string(failures) + " failed");

    progress.begin("Writing the contact sheet");
    const std::string title = capture->moduleName() + " + " + filters->moduleName() + " - live " +
                              sizeText(frame.width, frame.height) + " from " + camera.name;
    const auto writeSheet = [&](const std::vector<demo::Tile> &sheetTiles) {
        const demo::Picture sheet = demo::composeContactSheet(title, sheetTiles, 3);
        std::error_code directoryError;
        const std::filesystem::path parent = std::filesystem::path(options.output).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent, directoryError);
        if (!demo::writePng(options.output, sheet, &error)) return false;
        std::printf("      %s, %s\n", options.output.c_str(), sizeText(sheet.width, sheet.height).c_str());
        std::fflush(stdout);
        return true;
    };
    if (!writeSheet(tiles)) return fail(error);
    progress.end();

    if (window != nullptr) {
        progress.begin("Live effects: keys 1-8 or a click pick one, 0 none, s writes the sheet, q quits");
        const bool ended = demo::runLiveEffects(*window, *capture, *filters, [&](const demo::Picture &live) {
            int liveFailures = 0;
            return writeSheet(demo::applyEffects(*filters, live, "Live frame", &liveFailures)) && liveFailures == 0;
        });
        if (!ended) return fail("the live effects ended: no frames came");
        progress.end("closed");
    }

    capture.reset();
    return failures == 0 ? 0 : 1;
}
