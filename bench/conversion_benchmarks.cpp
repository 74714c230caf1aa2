// The capture library's two frame conversions, called directly on a
// bottom-up RGB24 frame, beside libyuv's RGB24ToARGB with a negative height.
#include "bench_registry.h"

#include "frame_conversion.h"

#include <cstring>
#include <memory>

namespace bench {

namespace {

using FrameConversion = int (*)(const uint8_t *, uint32_t *, uint32_t, uint32_t);

void registerConversion(const char *work, FrameConversion convert, size_t wordsPerTwoPixels) {
    registerWork(work, "libyuv_RGB24ToARGB", 1.0, [convert, wordsPerTwoPixels](PictureSize size) {
        const size_t frameBytes = rgb24RowStride(uint32_t(size.width)) * size_t(size.height);
        auto frame = std::make_shared<std::vector<uint8_t>>(frameBytes);
        const std::vector<uint32_t> seeded = seededWords((frameBytes + 3) / 4, 1);
        std::memcpy(frame->data(), seeded.data(), frameBytes);
        const size_t words = (size_t(size.width) + 1) / 2 * wordsPerTwoPixels * size_t(size.height);
        auto bitmap = std::make_shared<std::vector<uint32_t>>(words);
        return [convert, frame, bitmap, size] {
            convert(frame->data(), bitmap->data(), uint32_t(size.width), uint32_t(size.height));
        };
    });
}

} // namespace

void registerConversionWorks() {
    registerConversion("convertFrameTo32", convertFrameTo32, 2);
    registerConversion("convertFrameTo16", convertFrameTo16, 1);
}

} // namespace bench
