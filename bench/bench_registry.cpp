#include "bench_registry.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace bench {

const std::vector<PictureSize> &pictureSizes() {
    static const std::vector<PictureSize> sizes = {{640, 480}, {1920, 1080}, {3840, 2160}};
    return sizes;
}

std::string nameOf(PictureSize size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

// The anchor and the goal travel as the label, "anchor<=goal", so the report
// can pair every figure with its anchor's at the same size.
void registerWork(const std::string &work, const std::string &anchor, double goal, const Preparation &prepare) {
    char goalText[32];
    std::snprintf(goalText, sizeof goalText, "%g", goal);
    for (const PictureSize &size : pictureSizes()) {
        const std::string label = anchor.empty() ? "anchor" : anchor + "<=" + goalText;
        benchmark::RegisterBenchmark((work + "/" + nameOf(size)).c_str(), [prepare, size,
                                                                           label](benchmark::State &state) {
            const std::function<void()> step = prepare(size);
            for (auto _ : state) step();
            state.SetLabel(label);
        })->Unit(benchmark::kMillisecond);
    }
}

std::vector<uint32_t> seededWords(size_t count, uint32_t seed) {
    std::vector<uint32_t> words(count);
    for (uint32_t &word : words) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        word = seed;
    }
    return words;
}

} // namespace bench
