// Text and filled shapes painted into a Picture with cairo: the picture's
// words are cairo's native 32-bit ARGB, so cairo draws into them in place.
// Pictures drawn on are opaque (cairo's words are premultiplied).
#ifndef APPS_PICTURE_CANVAS_H
#define APPS_PICTURE_CANVAS_H

#include "picture.h"

#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace demo {

struct Font {
    double size = 14; // pixels
    bool bold = false;
};

// Width of a line of text in whole pixels, and the height every line takes.
int textWidth(const std::string &text, const Font &font);
int lineHeight(const Font &font);
// The longest start of text, with "..." added when cut, that is at most
// width pixels wide; empty when not even "..." fits.
std::string fitText(const std::string &text, const Font &font, int width);

class PictureCanvas {
public:
    explicit PictureCanvas(Picture &picture);
    // The picture's words hold everything drawn once the canvas is gone.
    ~PictureCanvas();
    PictureCanvas(const PictureCanvas &) = delete;
    PictureCanvas &operator=(const PictureCanvas &) = delete;

    // One line with its top left corner at (x, y), cut at the picture's edges.
    void text(int x, int y, const std::string &line, const Font &font, uint32_t colour);
    // The rectangle from (x0, y0) to (x1, y1), right and bottom edges out.
    void fill(int x0, int y0, int x1, int y1, uint32_t colour);

private:
    cairo_surface_t *surface_;
    cairo_t *cr_;
};

} // namespace demo

#endif
