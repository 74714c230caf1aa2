// Melt and the old-television effects: the scalar kernels that state the
// arithmetic and the exact order of the random draws, which fixes the output
// for a given position in the thread's random sequence.
#ifndef MARDOLIN_RANDOM_EFFECTS_H
#define MARDOLIN_RANDOM_EFFECTS_H

#include <cstdint>

namespace mardolin {

// Makes trunc((width * amount) * height) attempts, one draw each, to move a
// brighter pixel below a darker one by exchanging a random vertically
// adjacent pair. A bitmap under two rows high has no such pair and is left
// alone without a draw. Host thread; touches only words 0 .. width * height - 1.
void meltPixels(uint32_t *words, int32_t width, int32_t height, double amount);

// meltPixels, word for word and draw for draw: the draws of a batch of
// attempts are taken first, four generator states apart, their pairs fetched
// ahead, and the exchanges then made in order without a branch, comparing
// the integer weighted luminances. Host thread; touches what meltPixels touches.
void meltPixelsInBatches(uint32_t *words, int32_t width, int32_t height, double amount);

// meltPixels, word for word and draw for draw: from a few attempts per
// possible draw on, over a table of the words the draws can touch (see
// melt_table.cpp), else in batches. Host thread, or any thread: one thread
// at a time uses the table; touches what meltPixels touches.
void meltPixelsOverTable(uint32_t *words, int32_t width, int32_t height, double amount);

// Each word in turn, one draw each, becomes white with a probability of
// about its luminance, else OpaqueBlack. Host thread; touches only
// words 0 .. count - 1.
void oldBWTVPixels(uint32_t *words, int32_t count);

// Each word in turn, three draws each (red, green, blue), gets every channel
// switched fully on with a probability of about its value, else off.
// Host thread; touches only words 0 .. count - 1.
void oldColorTVPixels(uint32_t *words, int32_t count);

// Fast twins of the two television effects: they draw from several states of
// the sequence at once, each lane its own draw in the order above, and leave
// the thread's state where the scalar kernel leaves it. The count is a
// multiple of their width.
void oldBWTVPixelsSse2(uint32_t *words, int32_t count);       // 4 pixels
void oldBWTVPixelsAvx2(uint32_t *words, int32_t count);       // 8 pixels
void oldBWTVPixelsAvx512(uint32_t *words, int32_t count);     // 16 pixels
void oldColorTVPixelsSse2(uint32_t *words, int32_t count);    // 4 pixels
void oldColorTVPixelsAvx2(uint32_t *words, int32_t count);    // 8 pixels
void oldColorTVPixelsAvx512(uint32_t *words, int32_t count);  // 16 pixels
void oldBWTVPixelsNeon(uint32_t *words, int32_t count);       // 16 pixels
void oldColorTVPixelsNeon(uint32_t *words, int32_t count);    // 16 pixels

} // namespace mardolin

#endif
