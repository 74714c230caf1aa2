#include "preview_window.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include <xcb/xcbext.h>

namespace gstbackend {
namespace {

// X11 carries positions as INT16 and sizes as non-zero CARD16, and servers
// hold a window's far edge as a 16-bit coordinate too: every rectangle is
// brought inside those bounds, whatever the caller asked for.
constexpr int64_t kLowestPosition = -32768, kHighestPosition = 32766, kHighestEdge = 32767;

int positionOf(LONG requested) { return int(std::clamp<int64_t>(requested, kLowestPosition, kHighestPosition)); }

int sideOf(LONG requested, int position) {
    return int(std::clamp<int64_t>(requested, 1, kHighestEdge - position));
}

const xcb_screen_t *screenOf(xcb_connection_t *connection, int number) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; screens.rem > 0; xcb_screen_next(&screens), --number)
        if (number == 0) return screens.data;
    return nullptr;
}

const xcb_visualtype_t *visualOf(const xcb_screen_t &screen) {
    for (xcb_depth_iterator_t depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem > 0;
         xcb_depth_next(&depths))
        for (xcb_visualtype_iterator_t visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == screen.root_visual) return visuals.data;
    return nullptr;
}

// The video format whose bytes are the root visual's pixels in a ZPixmap
// with rows padded to 32 bits, as GStreamer pads them: true colour of 24
// bits in 32, or of 16 bits in the host's byte order.
GstVideoFormat pixelFormatOf(xcb_connection_t *connection, const xcb_screen_t &screen) {
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_visualtype_t *visual = visualOf(screen);
    if (visual == nullptr || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR) return GST_VIDEO_FORMAT_UNKNOWN;
    int bitsPerPixel = 0;
    for (xcb_format_iterator_t formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
         xcb_format_next(&formats))
        if (formats.data->depth == screen.root_depth && formats.data->scanline_pad == 32)
            bitsPerPixel = formats.data->bits_per_pixel;
    const bool leastFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const uint32_t red = visual->red_mask, green = visual->green_mask, blue = visual->blue_mask;
    if (bitsPerPixel == 32 && green == 0xFF00) {
        if (red == 0xFF0000 && blue == 0xFF) return leastFirst ? GST_VIDEO_FORMAT_BGRx : GST_VIDEO_FORMAT_xRGB;
        if (red == 0xFF && blue == 0xFF0000) return leastFirst ? GST_VIDEO_FORMAT_RGBx : GST_VIDEO_FORMAT_xBGR;
    }
    if (bitsPerPixel == 16 && green == 0x07E0 && leastFirst == (G_BYTE_ORDER == G_LITTLE_ENDIAN)) {
        if (red == 0xF800 && blue == 0x1F) return GST_VIDEO_FORMAT_RGB16;
        if (red == 0x1F && blue == 0xF800) return GST_VIDEO_FORMAT_BGR16;
    }
    return GST_VIDEO_FORMAT_UNKNOWN;
}

// A reply, waited for a moment at most: a server that stops answering must
// not hold the painter, which the graph's teardown waits for. Null when
// the request failed or the moment passed.
template <class Reply>
Reply *awaitReply(xcb_connection_t *connection, unsigned int sequence) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    for (;;) {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (xcb_poll_for_reply(connection, sequence, &reply, &error) != 0) {
            std::free(error);
            return static_cast<Reply *>(reply);
        }
        if (xcb_connection_has_error(connection) != 0 || std::chrono::steady_clock::now() > deadline) {
            xcb_discard_reply(connection, sequence);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// [from, to) of one axis: the window's extent clipped to its parent's and
// the screen's, all in the root's coordinates.
void clip(int64_t window, int64_t side, int64_t parent, int64_t parentSide, int64_t screenSide, int64_t *from,
          int64_t *to) {
    *from = std::max({window, parent, int64_t(0)});
    *to = std::min({window + side, parent + parentSide, screenSide});
}

} // namespace

std::unique_ptr<PreviewWindow> PreviewWindow::open() {
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    const xcb_screen_t *screen =
        xcb_connection_has_error(connection) == 0 ? screenOf(connection, screenNumber) : nullptr;
    if (screen == nullptr) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<PreviewWindow>(new PreviewWindow(connection, *screen, pixelFormatOf(connection, *screen)));
}

PreviewWindow::PreviewWindow(xcb_connection_t *connection, const xcb_screen_t &screen, GstVideoFormat format)
    : connection_(connection), root_(screen.root), screenWidth_(screen.width_in_pixels),
      screenHeight_(screen.height_in_pixels), depth_(screen.root_depth),
      maxRequestBytes_(uint64_t(xcb_get_maximum_request_length(connection)) * 4), format_(format),
      window_(xcb_generate_id(connection)), gc_(xcb_generate_id(connection)), parent_(screen.root) {
    const uint32_t values[] = {screen.black_pixel, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(connection_, screen.root_depth, window_, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen.root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_create_gc(connection_, gc_, window_, 0, nullptr);
    xcb_flush(connection_);
}

// A host that destroyed its window took ours with it; the requests below
// then fail on our connection alone, which closes with them.
PreviewWindow::~PreviewWindow() {
    xcb_free_gc(connection_, gc_);
    xcb_destroy_window(connection_, window_);
    xcb_flush(connection_);
    xcb_disconnect(connection_);
}

void PreviewWindow::apply(const WindowSettings &settings) {
    std::lock_guard<std::mutex> lock(mutex_);
    const xcb_window_t parent = settings.owner != 0 ? xcb_window_t(settings.owner) : root_;
    const bool hasArea = settings.width > 0 && settings.height > 0;
    const bool show = settings.visible && hasArea;
    if (!show && mapped_) {
        xcb_unmap_window(connection_, window_);
        mapped_ = false;
    }
    const int left = positionOf(settings.left), top = positionOf(settings.top);
    if (parent != parent_) {
        xcb_reparent_window(connection_, window_, parent, int16_t(left), int16_t(top));
        parent_ = parent;
        left_ = left;
        top_ = top;
    }
    if (hasArea) {
        left_ = left;
        top_ = top;
        width_ = sideOf(settings.width, left);
        height_ = sideOf(settings.height, top);
        const uint32_t place[] = {uint32_t(left_), uint32_t(top_), uint32_t(width_), uint32_t(height_)};
        xcb_configure_window(connection_, window_,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             place);
    }
    if (show && !mapped_) {
        const uint32_t above[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_STACK_MODE, above);
        xcb_map_window(connection_, window_);
        mapped_ = true;
    }
    xcb_flush(connection_);
    drainEvents();
}

bool PreviewWindow::visibleArea(PreviewArea *area) {
    xcb_window_t parent;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!mapped_) return false;
        parent = parent_;
        area->width = width_;
        area->height = height_;
        area->left = left_;
        area->top = top_;
    }
    const unsigned int size = xcb_get_geometry(connection_, parent).sequence;
    const unsigned int origin = xcb_translate_coordinates(connection_, parent, root_, 0, 0).sequence;
    xcb_flush(connection_);
    xcb_get_geometry_reply_t *geometry = awaitReply<xcb_get_geometry_reply_t>(connection_, size);
    xcb_translate_coordinates_reply_t *place = awaitReply<xcb_translate_coordinates_reply_t>(connection_, origin);
    const bool known = geometry != nullptr && place != nullptr;
    int64_t fromX = 0, toX = 0, fromY = 0, toY = 0;
    if (known) {
        const int64_t windowX = int64_t(place->dst_x) + area->left, windowY = int64_t(place->dst_y) + area->top;
        clip(windowX, area->width, place->dst_x, geometry->width, screenWidth_, &fromX, &toX);
        clip(windowY, area->height, place->dst_y, geometry->height, screenHeight_, &fromY, &toY);
        area->left = int(fromX - windowX);
        area->top = int(fromY - windowY);
    }
    std::free(geometry);
    std::free(place);
    if (!known || toX <= fromX || toY <= fromY) return false;
    area->visibleWidth = int(toX - fromX);
    area->visibleHeight = int(toY - fromY);
    return true;
}

// In strips, each request below the largest the server takes: a longer
// one would close the connection.
void PreviewWindow::draw(const PreviewArea &area, const uint8_t *pixels, int stride) {
    const uint64_t header = sizeof(xcb_put_image_request_t);
    const uint64_t rowsPerStrip = maxRequestBytes_ > header ? (maxRequestBytes_ - header) / uint64_t(stride) : 0;
    if (rowsPerStrip == 0) return;
    for (int row = 0; row < area.visibleHeight; row += int(rowsPerStrip)) {
        const int rows = int(std::min<uint64_t>(rowsPerStrip, uint64_t(area.visibleHeight - row)));
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, uint16_t(area.visibleWidth),
                      uint16_t(rows), int16_t(area.left), int16_t(area.top + row), 0, depth_,
                      uint32_t(rows) * uint32_t(stride), pixels + size_t(row) * size_t(stride));
    }
    xcb_flush(connection_);
}

bool PreviewWindow::takeEvents() {
    drainEvents();
    return exposed_.exchange(false);
}

void PreviewWindow::drainEvents() {
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7F) == XCB_EXPOSE) exposed_ = true;
        std::free(event);
    }
}

} // namespace gstbackend
