// Brightness and contrast: the scalar kernel that states the arithmetic, and
// the per-channel tables its fast twins use.
#ifndef MARDOLIN_BRIGHTNESS_CONTRAST_H
#define MARDOLIN_BRIGHTNESS_CONTRAST_H

#include <cstdint>

namespace mardolin {

// One value per colour channel, as the host passed it.
struct ChannelLevels {
    double red;
    double green;
    double blue;
};

// Rewrites count words in place: each value is first limited to -1..1 (NaN
// acts as -1), then every pixel gets the contrast step and then the
// brightness step, and comes out with alpha 255. Host thread; touches only
// words[0 .. count - 1].
void adjustBrightnessAndContrastPixels(uint32_t *words, int32_t count, ChannelLevels contrast,
                                       ChannelLevels brightness);

// Both steps act on each channel alone, so a channel's result is a function
// of its input byte. Each entry is that result already in its place in the
// word (red << 16, green << 8, blue); the blue table is indexed by the raw
// byte, so its entry 1 equals entry 0.
struct ChannelTables {
    uint32_t red[256];
    uint32_t green[256];
    uint32_t blue[256];
};

// The tables for one call, levels as the host passed them. Any thread.
void fillChannelTables(ChannelTables &tables, ChannelLevels contrast, ChannelLevels brightness);

// The pixel both steps make of a word: alpha 255, the three table entries,
// and OpaqueBlack where all three are 0. Fast twins of this loop take a
// count that is a multiple of their width. Host thread; touches only
// words[0 .. count - 1].
void adjustPixelsWithTables(uint32_t *words, int32_t count, const ChannelTables &tables);
void adjustPixelsWithTablesAvx2(uint32_t *words, int32_t count, const ChannelTables &tables);   // 8 pixels
void adjustPixelsWithTablesAvx512(uint32_t *words, int32_t count, const ChannelTables &tables); // 16 pixels
void adjustPixelsWithTablesNeon(uint32_t *words, int32_t count, const ChannelTables &tables);   // 16 pixels

// Where gathers are slow, computing a channel costs less than looking it up.
// The contrast step is close to a line in the channel value, so it is
// written in fixed point: contrasted = clamp((slope * c + intercept) >> 20,
// 0, 255), then (blue only) 1 reads as 0, then brightness is added and the
// sum clamped to 0 .. 255. The sums stay inside 32 bits.
struct ChannelLine {
    int32_t slope;
    int32_t intercept;
    int32_t brightness; // trunc(b * 256), -256 .. 256
};

struct ChannelLines {
    ChannelLine red;
    ChannelLine green;
    ChannelLine blue;
};

constexpr int ChannelLineShift = 20;

// Finds lines that give every entry of the tables made from the same levels,
// and answers whether it did; some levels put the exact results too close
// to a step for any line. Any thread.
bool fitChannelLines(ChannelLines &lines, const ChannelTables &tables, ChannelLevels contrast,
                     ChannelLevels brightness);

// The pixel the lines make of a word, with the packing of
// adjustPixelsWithTables; the fast twin takes a count that is a multiple of
// 8. Host thread; touches only words[0 .. count - 1].
void adjustPixelsWithLines(uint32_t *words, int32_t count, const ChannelLines &lines);
void adjustPixelsWithLinesAvx2(uint32_t *words, int32_t count, const ChannelLines &lines); // 8 pixels

} // namespace mardolin

#endif
