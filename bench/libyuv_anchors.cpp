// libyuv's RGB24 to ARGB conversion, flipped by a negative height as the
// bottom-up frames need.
#include "bench_registry.h"

#include <libyuv/convert_argb.h>

#include <memory>

namespace bench {

void registerLibyuvAnchors() {
    registerWork("libyuv_RGB24ToARGB", "", 0, [](PictureSize size) {
        const size_t pixels = size_t(size.width) * size.height;
        auto frame = std::make_shared<std::vector<uint32_t>>(seededWords(pixels * 3 / 4 + 1, 1));
        auto output = std::make_shared<std::vector<uint32_t>>(pixels);
        return [frame, output, size] {
            libyuv::RGB24ToARGB(reinterpret_cast<const uint8_t *>(frame->data()), size.width * 3,
                                reinterpret_cast<uint8_t *>(output->data()), size.width * 4, size.width, -size.height);
        };
    });
}

} // namespace bench
