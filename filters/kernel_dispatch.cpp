// Compiled for the target's baseline: nothing here may run an instruction
// the processor lacks before the check has been made.
#include "kernel_dispatch.h"

#include "background_subtraction.h"
#include "convolution.h"
#include "convolution_rows.h"
#include "instruction_sets.h"
#include "random_effects.h"

#include <atomic>
#include <initializer_list>

namespace mardolin {

namespace {

using PixelEffect = void (*)(uint32_t *words, int32_t count);

// The fast kernels of one level. The pixel-wise kernels take counts that
// are a multiple of step.
struct KernelSet {
    KernelLevel level;
    int32_t step;
    void (*adjustWithTables)(uint32_t *words, int32_t count, const ChannelTables &tables);
    void (*adjustWithLines)(uint32_t *words, int32_t count, const ChannelLines &lines); // null: tables only
    void (*subtractAbove)(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                          int32_t movingSum);
    PixelEffect oldBWTV;
    PixelEffect oldColorTV;
    const ConvolutionRowKernels *convolutionRows; // null: the scalar kernels
    const FusedRowKernels *fusedRows;             // null: none; used only where the processor has FMA
};

// The scalar level runs the reference kernels themselves; its set only names it.
constexpr KernelSet ScalarKernels = {KernelLevel::Scalar, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

// clang-format off
#if MARDOLIN_X86_KERNELS
constexpr KernelSet BaselineKernels = {KernelLevel::Baseline, 4,
    adjustPixelsWithTables, nullptr, subtractBackgroundAboveSse2, oldBWTVPixelsSse2, oldColorTVPixelsSse2, nullptr, nullptr};
constexpr KernelSet Avx2Kernels = {KernelLevel::Avx2, 8,
    adjustPixelsWithTablesAvx2, adjustPixelsWithLinesAvx2, subtractBackgroundAboveAvx2, oldBWTVPixelsAvx2, oldColorTVPixelsAvx2,
    &ConvolutionRowsAvx2, &FusedRowsAvx2};
constexpr KernelSet Avx512Kernels = {KernelLevel::Avx512, 16,
    adjustPixelsWithTablesAvx512, nullptr, subtractBackgroundAboveAvx512, oldBWTVPixelsAvx512, oldColorTVPixelsAvx512,
    &ConvolutionRowsAvx2, &FusedRowsAvx2};
#elif MARDOLIN_NEON_KERNELS
constexpr KernelSet BaselineKernels = {KernelLevel::Baseline, 16,
    adjustPixelsWithTablesNeon, nullptr, subtractBackgroundAboveNeon, oldBWTVPixelsNeon, oldColorTVPixelsNeon,
    &ConvolutionRowsNeon, nullptr};
#else
constexpr KernelSet BaselineKernels = {KernelLevel::Baseline, 1,
    adjustPixelsWithTables, nullptr, subtractBackgroundAbove, oldBWTVPixels, oldColorTVPixels, nullptr, nullptr};
#endif
// clang-format on

#if MARDOLIN_X86_KERNELS
bool processorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool processorHasFma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma");
}

// The byte permutes of the AVX-512 kernels need VBMI.
bool processorHasAvx512() {
    return processorHasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}
#endif

const KernelSet *setOfLevel(KernelLevel level) {
    switch (level) {
    case KernelLevel::Scalar: return &ScalarKernels;
    case KernelLevel::Baseline: return &BaselineKernels;
#if MARDOLIN_X86_KERNELS
    case KernelLevel::Avx2: return processorHasAvx2() ? &Avx2Kernels : nullptr;
    case KernelLevel::Avx512: return processorHasAvx512() ? &Avx512Kernels : nullptr;
#else
    case KernelLevel::Avx2:
    case KernelLevel::Avx512: return nullptr;
#endif
    }
    return nullptr;
}

const KernelSet *fastestSet() {
    for (KernelLevel level : {KernelLevel::Avx512, KernelLevel::Avx2, KernelLevel::Baseline})
        if (const KernelSet *set = setOfLevel(level)) return set;
    return &ScalarKernels;
}

std::atomic<const KernelSet *> selectedSet{nullptr};

// Settled at the first call; two threads racing to it settle on the same set.
const KernelSet &kernels() {
    const KernelSet *set = selectedSet.load(std::memory_order_acquire);
    if (set == nullptr) {
        set = fastestSet();
        selectedSet.store(set, std::memory_order_release);
    }
    return *set;
}

bool isScalar(const KernelSet &set) { return set.level == KernelLevel::Scalar; }

// The part of count the set's kernels take; the rest goes to the scalar twin.
int32_t vectorPart(int32_t count, const KernelSet &set) { return count - count % set.step; }

// A television effect: the set's kernel over its whole steps, then the
// scalar twin over the rest, drawing on from where the kernel left the
// generator.
void runRandomEffect(PixelEffect KernelSet::*fast, PixelEffect scalar, uint32_t *words, int32_t count) {
    const KernelSet &set = kernels();
    if (isScalar(set)) return scalar(words, count);
    const int32_t head = vectorPart(count, set);
    (set.*fast)(words, head);
    scalar(words + head, count - head);
}

} // namespace

bool supportsKernelLevel(KernelLevel level) { return setOfLevel(level) != nullptr; }

bool selectKernelLevel(KernelLevel level) {
    const KernelSet *set = setOfLevel(level);
    if (set == nullptr) return false;
    selectedSet.store(set, std::memory_order_release);
    return true;
}

namespace dispatch {

void adjustBrightnessAndContrast(uint32_t *words, int32_t count, ChannelLevels contrast, ChannelLevels brightness) {
    const KernelSet &set = kernels();
    if (isScalar(set)) return adjustBrightnessAndContrastPixels(words, count, contrast, brightness);
    ChannelTables tables;
    fillChannelTables(tables, contrast, brightness);
    const int32_t head = vectorPart(count, set);
    ChannelLines lines;
    if (set.adjustWithLines != nullptr && fitChannelLines(lines, tables, contrast, brightness))
        set.adjustWithLines(words, head, lines);
    else
        set.adjustWithTables(words, head, tables);
    adjustPixelsWithTables(words + head, count - head, tables);
}

void subtractBackground(const uint32_t *frame, const uint32_t *background, uint32_t *output, int32_t count,
                        double threshold) {
    const KernelSet &set = kernels();
    if (isScalar(set)) return subtractBackgroundPixels(frame, background, output, count, threshold);
    const int32_t movingSum = smallestMovingSum(threshold);
    const int32_t head = vectorPart(count, set);
    set.subtractAbove(frame, background, output, head, movingSum);
    subtractBackgroundAbove(frame + head, background + head, output + head, count - head, movingSum);
}

void convolve(int32_t size, const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
              const uint32_t *kernelWords, double divisor, double bias) {
    const KernelSet &set = kernels();
    if (set.convolutionRows == nullptr)
        return convolveColumnsFrom(size, 0, sourceWords, destinationWords, width, height, kernelWords, divisor, bias);
#if MARDOLIN_X86_KERNELS
    const FusedRowKernels *fused = processorHasFma() ? set.fusedRows : nullptr;
#else
    const FusedRowKernels *fused = nullptr;
#endif
    convolveInStrips(*set.convolutionRows, fused, size, sourceWords, destinationWords, width, height, kernelWords,
                     divisor, bias);
}

void melt(uint32_t *words, int32_t width, int32_t height, double amount) {
    if (isScalar(kernels())) return meltPixels(words, width, height, amount);
    meltPixelsOverTable(words, width, height, amount);
}

void oldBWTV(uint32_t *words, int32_t count) { runRandomEffect(&KernelSet::oldBWTV, oldBWTVPixels, words, count); }

void oldColorTV(uint32_t *words, int32_t count) {
    runRandomEffect(&KernelSet::oldColorTV, oldColorTVPixels, words, count);
}

} // namespace dispatch

} // namespace mardolin
