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

// Bottom-up RGB24 source rows into top-down pixel words; always 1.
// Depth 32: one 0xFFRRGGBB word a pixel.
int convertFrameTo32(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight);
// Depth 16: two 15-bit pixels a word, the left one high, none 0; an odd
// row's last word repeats its last pixel in the right half.
int convertFrameTo16(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight);

// Fast twins for one row of frameWidth pixels, for processors with AVX2
// (x86 builds only): each converts whole steps of 8 (depth 32) or 16
// (depth 16) pixels from the row's start, reading nothing past its
// 3 x frameWidth bytes, and answers how many pixels it converted; the rest
// of the row is left to the plain conversion.
uint32_t convertRowTo32Avx2(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);
uint32_t convertRowTo16Avx2(const uint8_t *row, uint32_t *destination, uint32_t frameWidth);

#endif
