// The physical limit: copying the picture's bytes.
#include "bench_registry.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace bench {

void registerMemcpyAnchor() {
    registerWork("memcpy", "", 0, [](PictureSize size) {
        const size_t bytes = size_t(size.width) * size_t(size.height) * 4;
        auto source = std::make_shared<std::vector<uint32_t>>(seededWords(bytes / 4, 1));
        auto destination = std::make_shared<std::vector<uint32_t>>(bytes / 4);
        return [source, destination, bytes] {
            std::memcpy(destination->data(), source->data(), bytes);
            benchmark::ClobberMemory();
        };
    });
}

} // namespace bench
