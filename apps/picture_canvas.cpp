#include "picture_canvas.h"

#include <cairo.h>

#include <cmath>

namespace demo {

namespace {

const char *const kFamily = "sans-serif";
const std::string kEllipsis = "...";

void selectFont(cairo_t *cr, const Font &font) {
    cairo_select_font_face(cr, kFamily, CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font.size);
}

void setColour(cairo_t *cr, uint32_t colour) {
    cairo_set_source_rgb(cr, redOf(colour) / 255.0, greenOf(colour) / 255.0, blueOf(colour) / 255.0);
}

// A context for measuring only.
struct Measure {
    Measure() : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1)), cr(cairo_create(surface)) {}
    ~Measure() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    cairo_surface_t *surface;
    cairo_t *cr;
};

} // namespace

int textWidth(const std::string &text, const Font &font) {
    Measure measure;
    selectFont(measure.cr, font);
    cairo_text_extents_t extents;
    cairo_text_extents(measure.cr, text.c_str(), &extents);
    return int(std::ceil(extents.x_advance));
}

int lineHeight(const Font &font) {
    Measure measure;
    selectFont(measure.cr, font);
    cairo_font_extents_t extents;
    cairo_font_extents(measure.cr, &extents);
    return int(std::ceil(extents.ascent + extents.descent));
}

std::string fitText(const std::string &text, const Font &font, int width) {
    if (textWidth(text, font) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && textWidth(cut + kEllipsis, font) > width) {
        cut.pop_back();
        // Never leave half of a UTF-8 sequence.
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
        if (!cut.empty() && static_cast<unsigned char>(cut.back()) >= 0xC0) cut.pop_back();
    }
    return textWidth(cut + kEllipsis, font) <= width ? cut + kEllipsis : std::string();
}

PictureCanvas::PictureCanvas(Picture &picture)
    : surface_(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char *>(picture.pixels.data()),
                                                   CAIRO_FORMAT_ARGB32, picture.width, picture.height,
                                                   picture.width * 4)),
      cr_(cairo_create(surface_)) {}

PictureCanvas::~PictureCanvas() {
    cairo_destroy(cr_);
    cairo_surface_flush(surface_);
    cairo_surface_destroy(surface_);
}

void PictureCanvas::text(int x, int y, const std::string &line, const Font &font, uint32_t colour) {
    selectFont(cr_, font);
    cairo_font_extents_t extents;
    cairo_font_extents(cr_, &extents);
    setColour(cr_, colour);
    cairo_move_to(cr_, x, y + extents.ascent);
    cairo_show_text(cr_, line.c_str());
}

void PictureCanvas::fill(int x0, int y0, int x1, int y1, uint32_t colour) {
    setColour(cr_, colour);
    cairo_rectangle(cr_, x0, y0, x1 - x0, y1 - y0);
    cairo_fill(cr_);
}

} // namespace demo
