// The live effects window: the captured frames with the chosen effect
// applied, the choices beside them (keys 0-8 or a click pick one), and the
// frame rate achieved. It lives on the main window's display connection;
// keys and closing count in either window. Drawn with cairo. Host thread.
#ifndef APPS_EFFECTS_WINDOW_H
#define APPS_EFFECTS_WINDOW_H

#include "demo_window.h"
#include "effects_layout.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace demo {

extern const char *const kEffectsWindowTitle;

// What the person asked for since the last look.
struct WindowInput {
    bool quit = false;       // q, Escape, or a window closed
    bool writeSheet = false; // s
    int choice = -1;         // the choice picked last, or -1
};

class EffectsWindow {
public:
    // names: the effects' names, in the order of their keys.
    static std::unique_ptr<EffectsWindow> open(DemoWindow &main, int frameWidth, int frameHeight,
                                               std::vector<std::string> names);
    ~EffectsWindow();
    EffectsWindow(const EffectsWindow &) = delete;
    EffectsWindow &operator=(const EffectsWindow &) = delete;

    // Takes in every event waiting.
    WindowInput takeInput();
    // Shows a frame of pixel words (null: the effect failed, problem says
    // why) with the choice marked and the rates.
    void show(const uint32_t *frame, int choice, double framesPerSecond, double cameraFramesPerSecond,
              const std::string &problem);

private:
    EffectsWindow() = default;
    void setTitle(int choice, double framesPerSecond);

    Display *display_ = nullptr;
    unsigned long mainWindow_ = 0, window_ = 0;
    unsigned long deleteWindow_ = 0;
    int frameWidth_ = 0, frameHeight_ = 0, scale_ = 1;
    EffectsLayout layout_;
    std::vector<std::string> names_;
    cairo_surface_t *surface_ = nullptr;
    std::string title_;
};

} // namespace demo

#endif
