#include "frame_conversion.h"

#include "decoder_state.h"
#include "exclusive_lock.h"
#include "requests.h"

namespace {

uint32_t packPixel32(const uint8_t *bgr) {
    return 0xFF000000u | uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | uint32_t(bgr[0]);
}

// 5 bits a channel; black would be 0, which the host reads as transparent.
uint32_t packPixel15(const uint8_t *bgr) {
    uint32_t packed = uint32_t(bgr[2] >> 3) << 10 | uint32_t(bgr[1] >> 3) << 5 | uint32_t(bgr[0] >> 3);
    return packed == 0 ? 1 : packed;
}

const uint8_t *sourceRow(const uint8_t *source, uint32_t frameWidth, uint32_t frameHeight, uint32_t y) {
    return source + rgb24RowStride(frameWidth) * (frameHeight - 1 - y);
}

size_t wordsPerRow(HostWord depth, uint32_t frameWidth) { return depth == 16 ? (frameWidth + 1) / 2 : frameWidth; }

} // namespace

int convertFrameTo32(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight) {
    for (uint32_t y = 0; y < frameHeight; ++y) {
        const uint8_t *row = sourceRow(source, frameWidth, frameHeight, y);
        for (uint32_t x = 0; x < frameWidth; ++x) *destination++ = packPixel32(row + 3 * x);
    }
    return 1;
}

int convertFrameTo16(const uint8_t *source, uint32_t *destination, uint32_t frameWidth, uint32_t frameHeight) {
    for (uint32_t y = 0; y < frameHeight; ++y) {
        const uint8_t *row = sourceRow(source, frameWidth, frameHeight, y);
        for (uint32_t x = 0; x < frameWidth; x += 2) {
            uint32_t right = x + 1 < frameWidth ? x + 1 : x;
            *destination++ = packPixel15(row + 3 * x) << 16 | packPixel15(row + 3 * right);
        }
    }
    return 1;
}

int copyLastFrameInto(uint32_t *bits, HostWord width, HostWord height, HostWord depth, size_t capacity) {
    if (depth <= 15) return 0;
    // The lock keeps the buffer from being refilled, replaced or freed
    // while it is read.
    ExclusiveLock lock(decoder.frameLock);
    const uint8_t *source = decoder.frameBuffer;
    setStatus(StatusSuccess);
    uint32_t size = decodeSize();
    uint32_t frameWidth = size >> 16;
    uint32_t frameHeight = size & 0xFFFFu;
    if (width < HostWord(frameWidth) || height < HostWord(frameHeight)) return 0;
    if (depth != 16 && depth != 32) return 0;
    if (wordsPerRow(depth, frameWidth) * frameHeight > capacity) return 0;
    if (depth == 16) return convertFrameTo16(source, bits, frameWidth, frameHeight);
    return convertFrameTo32(source, bits, frameWidth, frameHeight);
}
