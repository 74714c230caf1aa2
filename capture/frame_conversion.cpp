#include "frame_conversion.h"

#include "decoder_state.h"
#include "kept_frame.h"
#include "requests.h"

namespace {

size_t wordsPerRow(HostWord depth, uint32_t frameWidth) { return depth == 16 ? (frameWidth + 1) / 2 : frameWidth; }

} // namespace

int copyLastFrameInto(uint32_t *bits, HostWord width, HostWord height, HostWord depth, size_t capacity) {
    if (depth <= 15) return 0;
    // The kept frame is neither refilled, replaced nor freed while it is
    // read; a capture meanwhile fills the spare.
    KeptFrameReading kept;
    const uint8_t *source = kept.rows();
    const RowOrder order = kept.rowsTopDown() ? RowOrder::TopDown : RowOrder::BottomUp;
    setStatus(StatusSuccess);
    uint32_t size = decodeSize();
    uint32_t frameWidth = size >> 16;
    uint32_t frameHeight = size & 0xFFFFu;
    if (width < HostWord(frameWidth) || height < HostWord(frameHeight)) return 0;
    if (depth != 16 && depth != 32) return 0;
    if (wordsPerRow(depth, frameWidth) * frameHeight > capacity) return 0;
    if (depth == 16) return convertFrameTo16(source, bits, frameWidth, frameHeight, order);
    return convertFrameTo32(source, bits, frameWidth, frameHeight, order);
}
