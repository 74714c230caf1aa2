// Runs one kernel over a picture of a given number of pixels, for
// count-instructions.sh, which counts under QEMU what each run executes:
// instruction_counts KERNEL PIXELS run|setup. The picture is seeded; a run
// of the set-up alone gives what the kernel's run spends outside it.
#include "background_subtraction.h"
#include "brightness_contrast.h"
#include "convolution.h"
#include "convolution_rows.h"
#include "frame_conversion.h"
#include "random_effects.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace mardolin;

namespace {

constexpr int32_t Width = 256; // a whole strip of the fast convolution

std::vector<uint32_t> seededWords(size_t count) {
    std::vector<uint32_t> words(count);
    uint32_t state = 12345u;
    for (uint32_t &word : words) word = state = state * 1664525u + 1013904223u;
    return words;
}

std::vector<uint32_t> kernelOf(const std::string &name, int32_t size) {
    std::vector<float> weights(size_t(size * size), 1.0f);
    if (name.find("float") != std::string::npos)
        for (size_t k = 0; k < weights.size(); ++k) weights[k] = 0.1f + 0.037f * float(k);
    std::vector<uint32_t> words(weights.size());
    std::memcpy(words.data(), weights.data(), sizeof(float) * weights.size());
    return words;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) return 2;
    const std::string kernel = argv[1];
    const int32_t pixels = std::atoi(argv[2]);
    const bool run = std::strcmp(argv[3], "run") == 0; // else the set-up alone
    std::vector<uint32_t> words = seededWords(static_cast<size_t>(pixels));
    std::vector<uint32_t> other = seededWords(static_cast<size_t>(pixels) + 7);
    std::vector<uint32_t> output(static_cast<size_t>(pixels));
    ChannelTables tables;
    fillChannelTables(tables, {0.3, -0.2, 0.1}, {0.1, 0.0, -0.05});
    const bool neon = kernel.find("neon") != std::string::npos;
    // Convolutions: convolve3_box, convolve5_float_neon, ...: rows of Width pixels.
    const int32_t size = kernel.rfind("convolve", 0) == 0 ? kernel[8] - '0' : 3;
    const std::vector<uint32_t> weights = kernelOf(kernel, size);
    // Frames: rows of 15 pixels go to the plain loop alone, rows of 1920
    // pixels to the NEON twin but for their last.
    const uint32_t frameWidth = neon ? 1920 : 15, frameHeight = uint32_t(pixels) / frameWidth;
    std::vector<uint8_t> frame;
    if (kernel.rfind("frame", 0) == 0) {
        frame.resize(size_t(frameWidth) * frameHeight * 4 + 4);
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i * 7919u >> 3);
    }
    if (!run) return 0;
    if (kernel == "brightness") adjustPixelsWithTables(words.data(), pixels, tables);
    else if (kernel == "brightness_neon") adjustPixelsWithTablesNeon(words.data(), pixels, tables);
    else if (kernel == "subtraction") subtractBackgroundAbove(words.data(), other.data(), output.data(), pixels, 40);
    else if (kernel == "subtraction_neon")
        subtractBackgroundAboveNeon(words.data(), other.data(), output.data(), pixels, 40);
    else if (kernel == "bwtv") oldBWTVPixels(words.data(), pixels);
    else if (kernel == "bwtv_neon") oldBWTVPixelsNeon(words.data(), pixels);
    else if (kernel == "colortv") oldColorTVPixels(words.data(), pixels);
    else if (kernel == "colortv_neon") oldColorTVPixelsNeon(words.data(), pixels);
    else if (kernel.rfind("convolve", 0) == 0 && neon)
        convolveInStrips(ConvolutionRowsNeon, nullptr, size, words.data(), output.data(), Width, pixels / Width, weights.data(),
                         9.0, 0.5);
    else if (kernel.rfind("convolve", 0) == 0)
        convolveColumnsFrom(size, 0, words.data(), output.data(), Width, pixels / Width, weights.data(), 9.0, 0.5);
    else if (kernel.rfind("frame32", 0) == 0) convertFrameTo32(frame.data(), output.data(), frameWidth, frameHeight);
    else if (kernel.rfind("frame16", 0) == 0) convertFrameTo16(frame.data(), output.data(), frameWidth, frameHeight);
    else return 2;
    std::printf("%08x %08x\n", words.empty() ? 0u : words[0], output.empty() ? 0u : output[0]);
    return 0;
}
