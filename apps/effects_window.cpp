#include "effects_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>

namespace demo {

const char *const kEffectsWindowTitle = "Live effects";

namespace {
constexpr int kShownHeight = 480;
constexpr long kInputEvents = KeyPressMask | ButtonPressMask | StructureNotifyMask | ExposureMask;

void setColour(cairo_t *cr, uint32_t word) {
    cairo_set_source_rgb(cr, redOf(word) / 255.0, greenOf(word) / 255.0, blueOf(word) / 255.0);
}

void drawLine(cairo_t *cr, const Rect &area, const std::string &text, double size, bool bold) {
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_save(cr);
    cairo_rectangle(cr, area.x, area.y, area.width, area.height);
    cairo_clip(cr);
    cairo_move_to(cr, area.x + 8, area.y + (area.height + font.ascent - font.descent) / 2);
    cairo_show_text(cr, text.c_str());
    cairo_restore(cr);
}
} // namespace

std::unique_ptr<EffectsWindow> EffectsWindow::open(DemoWindow &main, int frameWidth, int frameHeight,
                                                   std::vector<std::string> names) {
    std::unique_ptr<EffectsWindow> window(new EffectsWindow());
    window->display_ = main.display();
    window->mainWindow_ = main.id();
    window->names_ = std::move(names);
    // Small frames are shown enlarged, whole times, to fill as much as the
    // preview does.
    window->scale_ = std::max(1, kShownHeight / std::max(1, frameHeight));
    window->frameWidth_ = frameWidth;
    window->frameHeight_ = frameHeight;
    window->layout_ = layOutEffectsWindow(frameWidth * window->scale_, frameHeight * window->scale_,
                                          int(window->names_.size()));
    Display *display = window->display_;
    const unsigned long background = kSheetBackground & 0xFFFFFF;
    // Beside the main window, where no window manager places it otherwise.
    XWindowAttributes mainAttributes{};
    XGetWindowAttributes(display, Window(window->mainWindow_), &mainAttributes);
    const int left = mainAttributes.x + mainAttributes.width + 16;
    window->window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), left, 0, unsigned(window->layout_.width),
                                          unsigned(window->layout_.height), 0, background, background);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    window->deleteWindow_ = deleteWindow;
    for (Window each : {Window(window->mainWindow_), Window(window->window_)}) {
        XSelectInput(display, each, kInputEvents);
        XSetWMProtocols(display, each, &deleteWindow, 1);
    }
    XStoreName(display, window->window_, kEffectsWindowTitle);
    XMapWindow(display, window->window_);
    window->surface_ = cairo_xlib_surface_create(display, window->window_, DefaultVisual(display, DefaultScreen(display)),
                                                 window->layout_.width, window->layout_.height);
    XSync(display, False);
    return window;
}

EffectsWindow::~EffectsWindow() {
    cairo_surface_destroy(surface_);
    XDestroyWindow(display_, window_);
    XSync(display_, False);
}

WindowInput EffectsWindow::takeInput() {
    WindowInput input;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
        case KeyPress: {
            char text[8] = {};
            KeySym key = 0;
            XLookupString(&event.xkey, text, sizeof text - 1, &key, nullptr);
            if (key == XK_Escape || text[0] == 'q') input.quit = true;
            else if (text[0] == 's') input.writeSheet = true;
            else if (text[0] >= '0' && text[0] - '0' <= int(names_.size())) input.choice = text[0] - '0';
            break;
        }
        case ButtonPress:
            if (event.xbutton.window == window_) {
                const int choice = choiceAt(layout_, event.xbutton.x, event.xbutton.y);
                if (choice >= 0) input.choice = choice;
            }
            break;
        case ClientMessage:
            if (Atom(event.xclient.data.l[0]) == deleteWindow_) input.quit = true;
            break;
        case DestroyNotify: input.quit = true; break;
        default: break;
        }
    }
    return input;
}

void EffectsWindow::setTitle(int choice, double framesPerSecond) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f fps", framesPerSecond);
    const std::string title = std::string(kEffectsWindowTitle) + " - " +
                              (choice == 0 ? std::string("none") : names_[size_t(choice - 1)]) + " - " + rate;
    if (title == title_) return;
    title_ = title;
    XStoreName(display_, window_, title.c_str());
}

void EffectsWindow::show(const uint32_t *frame, int choice, double framesPerSecond, double cameraFramesPerSecond,
                         const std::string &problem) {
    cairo_t *cr = cairo_create(surface_);
    cairo_push_group(cr);
    setColour(cr, kSheetBackground);
    cairo_paint(cr);

    const Rect &picture = layout_.picture;
    if (frame != nullptr) {
        // Pixel words are cairo's native 32-bit RGB; the alpha byte is ignored.
        cairo_surface_t *image = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char *>(const_cast<uint32_t *>(frame)), CAIRO_FORMAT_RGB24, frameWidth_,
            frameHeight_, frameWidth_ * 4);
        cairo_save(cr);
        cairo_translate(cr, picture.x, picture.y);
        cairo_scale(cr, scale_, scale_);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(image);
    } else {
        setColour(cr, pixelWord(96, 24, 24));
        cairo_rectangle(cr, picture.x, picture.y, picture.width, picture.height);
        cairo_fill(cr);
        setColour(cr, kLabelColour);
        drawLine(cr, {picture.x, picture.y + picture.height / 2 - 20, picture.width, 40}, "Failed: " + problem, 18,
                 true);
    }

    for (size_t i = 0; i < layout_.choices.size(); ++i) {
        const Rect &row = layout_.choices[i];
        const bool chosen = int(i) == choice;
        setColour(cr, chosen ? pixelWord(70, 110, 170) : pixelWord(52, 58, 64));
        cairo_rectangle(cr, row.x, row.y, row.width, row.height);
        cairo_fill(cr);
        setColour(cr, kLabelColour);
        const std::string name = i == 0 ? "None" : names_[i - 1];
        drawLine(cr, row, std::to_string(i) + "  " + name, 14, chosen);
    }

    char line[64];
    const Rect &rate = layout_.rate;
    std::snprintf(line, sizeof line, "%.1f fps shown", framesPerSecond);
    setColour(cr, kLabelColour);
    drawLine(cr, {rate.x, rate.y, rate.width, rate.height / 2}, line, 18, true);
    std::snprintf(line, sizeof line, "camera %.1f fps   s: sheet   q: quit", cameraFramesPerSecond);
    drawLine(cr, {rate.x, rate.y + rate.height / 2, rate.width, rate.height / 2}, line, 12, false);

    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
    setTitle(choice, framesPerSecond);
    XFlush(display_);
}

} // namespace demo
