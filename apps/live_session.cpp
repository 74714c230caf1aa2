#include "live_session.h"

#include "demo_effects.h"
#include "effects_window.h"
#include "live_effects.h"

#include <chrono>
#include <cstdio>
#include <deque>

namespace demo {

namespace {

using Clock = std::chrono::steady_clock;

// Events per second over the last two seconds.
class RateMeter {
public:
    void note(Clock::time_point now) {
        times_.push_back(now);
        while (!times_.empty() && now - times_.front() > std::chrono::seconds(2)) times_.pop_front();
    }
    double perSecond() const {
        if (times_.size() < 2) return 0.0;
        const double seconds = std::chrono::duration<double>(times_.back() - times_.front()).count();
        return seconds > 0 ? double(times_.size() - 1) / seconds : 0.0;
    }

private:
    std::deque<Clock::time_point> times_;
};

// How long to wait for a frame before the window's events are looked at.
constexpr auto kEventLatency = std::chrono::milliseconds(10);
// Frames may pause (a busy machine); this long without one ends the session.
constexpr auto kFramesGone = std::chrono::seconds(20);

// What each choice achieved while it was shown, printed when it changes.
class ChoiceFigures {
public:
    explicit ChoiceFigures(std::vector<std::string> names) : names_(std::move(names)) {}
    void begin(int choice) {
        choice_ = choice;
        shown_ = 0;
        start_ = Clock::now();
    }
    void noteShown() { ++shown_; }
    void report(double cameraFramesPerSecond) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        if (shown_ == 0 || seconds < 0.5) return; // passed over, not watched
        std::printf("      %-26s %5d frames in %5.1f s: %5.1f fps shown (camera %.1f fps)\n",
                    choice_ == 0 ? "none" : names_[size_t(choice_ - 1)].c_str(), shown_, seconds, shown_ / seconds,
                    cameraFramesPerSecond);
        std::fflush(stdout);
    }

private:
    const std::vector<std::string> names_;
    int choice_ = 0, shown_ = 0;
    Clock::time_point start_;
};

} // namespace

bool runLiveEffects(DemoWindow &main, CaptureHost &capture, FilterHost &filters, const SheetWriter &writeSheet) {
    const host::FrameSize size = capture.decodeSize();
    std::vector<std::string> names;
    for (const Effect &effect : demoEffects()) names.push_back(effect.name);
    std::unique_ptr<EffectsWindow> window = EffectsWindow::open(main, size.width, size.height, names);
    LiveEffects effects(filters, size.width, size.height);
    host::Interpreter &interpreter = filters.interpreter();

    int choice = 0;
    RateMeter shown, camera;
    ChoiceFigures figures(names);
    figures.begin(choice);
    uint64_t seen = capture.framesSignalled();
    Clock::time_point lastFrame = Clock::now();
    // A request is kept by the next frame; every later frame finds a fresh
    // one, so each signal has a frame kept at most one frame before it.
    capture.call("primDecoderRequestCapture");
    for (;;) {
        const WindowInput input = window->takeInput();
        if (input.choice >= 0 && input.choice != choice) {
            figures.report(camera.perSecond());
            choice = input.choice;
            figures.begin(choice);
        }
        if (input.quit) {
            figures.report(camera.perSecond());
            return true;
        }
        if (input.writeSheet) writeSheet(filters.pictureOf(effects.frameBitmap()));

        if (!interpreter.waitForSignals(capture.frameSemaphore(), seen + 1, kEventLatency)) {
            if (Clock::now() - lastFrame > kFramesGone) {
                std::fprintf(stderr, "capture_demo: frames stopped: %s\n", host::decoderStatusText(capture.lastError()));
                return false;
            }
            continue;
        }
        const uint64_t now = capture.framesSignalled();
        lastFrame = Clock::now();
        for (; seen < now; ++seen) camera.note(lastFrame);
        const bool copied = capture.copyInto(effects.frameBitmap());
        capture.call("primDecoderRequestCapture");
        if (!copied) continue; // nothing kept yet
        std::string problem;
        const uint32_t *picture = effects.apply(choice - 1, &problem);
        window->show(picture, choice, shown.perSecond(), camera.perSecond(), problem);
        shown.note(Clock::now());
        figures.noteShown();
    }
}

} // namespace demo
