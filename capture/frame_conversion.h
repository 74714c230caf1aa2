// Converts the kept RGB24 frame into a host bitmap's pixel words. Host thread.
#ifndef CAPTURE_FRAME_CONVERSION_H
#define CAPTURE_FRAME_CONVERSION_H

#include "host_interface.h"

#include <cstddef>
#include <cstdint>

// Bytes from one RGB24 row to the next: 3 a pixel, brought to a multiple of
// four as the media framework delivers rows.
inline size_t rgb24RowStride(uint32_t frameWidth) { return (size_t(frameWidth) * 3 + 3) & ~size_t(3); }

// Converts the frame buffer into the capacity words at bits, for a bitmap
// of width, height and depth (16 or 32). 1 when converted, 0 when refused:
// a bitmap smaller than the frame, another depth, or too few words.
int copyLastFrameInto(uint32_t *bits, HostWord width, HostWord height, HostWord depth, size_t capacity);

// The order of a frame's rows in memory.
enum class RowOrder { BottomUp, TopDown };

// RGB24 source rows, bottom-up unless told otherwise, into top-down pixel
// words; always 1. Depth 32: one 0xFFRRGGBB word a pixel.
int convertFrameTo32(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight);
int convertFrameTo32(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight,
                     RowOrder order);
// Depth 16: two 15-bit pixels a word, the left one high, none 0; an odd
// row's last word repeats its last pixel in the right half.
int convertFrameTo16(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight);
int convertFrameTo16(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight,
                     RowOrder order);

// Fast twins for one row of frameWidth pixels (x86 and aarch64 builds), reading
// nothing past its 3 x frameWidth bytes; each answers how many pixels it
// converted from the row's start and leaves the rest to the plain
// conversion. With AVX2: whole steps of 8 (depth 32) or 16 (depth 16)
// pixels. With AVX-512 F, BW and VBMI: the whole row.
uint32_t convertRowTo32Avx2(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);
uint32_t convertRowTo16Avx2(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);
uint32_t convertRowTo32Avx512(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);
uint32_t convertRowTo16Avx512(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);
// On aarch64 (NEON, the baseline there): whole steps of 16 pixels.
uint32_t convertRowTo32Neon(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);
uint32_t convertRowTo16Neon(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);

#endif
