// The strip and ring bookkeeping of the fast convolution, at the baseline.
#include "convolution.h"
#include "convolution_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace mardolin {

namespace {

// Calls produce(sourceRow, slot) for each source row the strip's output row
// y needs that has not been laid out yet, and answers the slots of the rows
// y - reach .. y + reach (clamped to the picture) in order.
template <int Size> class RowRing {
  public:
    explicit RowRing(int32_t height) : height_(height) {}

    template <typename Produce> void rowsFor(int32_t y, int32_t *slots, Produce produce) {
        constexpr int32_t reach = (Size - 1) / 2;
        for (const int32_t needed = std::min(y + reach, height_ - 1); laidOut_ < needed;) {
            ++laidOut_;
            produce(laidOut_, laidOut_ % Size);
        }
        for (int32_t i = 0; i < Size; ++i) slots[i] = std::clamp(y - reach + i, 0, height_ - 1) % Size;
    }

  private:
    int32_t height_;
    int32_t laidOut_ = -1;
};

size_t wordIndex(int32_t x, int32_t y, int32_t width) {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
}

// What a row kernel reads of a ring slot: the words themselves, or the planes.
const uint32_t *laidOutRow(const uint32_t (&words)[RowEntries]) { return words; }
template <typename Planes> const Planes *laidOutRow(const Planes &planes) { return &planes; }

// The picture's first columns columns in strips, each strip row by row:
// layOut(sourceRow, width, firstColumn, entries, slot) lays one source row
// out into a ring slot, and rowKernel(rows, output, count, plan) makes one
// strip row from the slots.
template <int Size, typename Slot, typename LayOut, typename RowKernel, typename Plan>
void walkStrips(const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                int32_t columns, LayOut layOut, RowKernel rowKernel, const Plan &plan) {
    constexpr int32_t reach = (Size - 1) / 2;
    alignas(64) Slot ring[Size];
    for (int32_t x0 = 0; x0 < columns; x0 += StripColumns) {
        const int32_t stripColumns = std::min(StripColumns, columns - x0);
        RowRing<Size> rows(height);
        for (int32_t y = 0; y < height; ++y) {
            int32_t slots[Size];
            rows.rowsFor(y, slots, [&](int32_t sourceRow, int32_t slot) {
                layOut(sourceWords + wordIndex(0, sourceRow, width), width, x0 - reach, stripColumns + 2 * reach,
                       ring[slot]);
            });
            decltype(laidOutRow(ring[0])) laidOut[Size];
            for (int32_t i = 0; i < Size; ++i) laidOut[i] = laidOutRow(ring[slots[i]]);
            rowKernel(laidOut, destinationWords + wordIndex(x0, y, width), stripColumns, plan);
        }
    }
}

// Computing a value costs less than looking it up. The straight quotient in
// single precision, or its neighbours a unit in the last place up, often
// give every value of the table; the first that does is used.
void chooseComputedValues(const ConvolutionRowKernels &kernels, const SmallIntegerWeights &integer, double divisor,
                          double bias, IntegerRowPlan &plan) {
    const float scale = static_cast<float>(std::ldexp(1.0, -integer.shift) / divisor);
    const float offset = static_cast<float>(bias / divisor);
    const float infinity = std::numeric_limits<float>::infinity();
    for (float tryScale : {scale, std::nextafter(scale, infinity)})
        for (float tryOffset : {offset, std::nextafter(offset, infinity)}) {
            plan.scale = tryScale;
            plan.offset = tryOffset;
            if (std::isfinite(tryScale) && std::isfinite(tryOffset) && kernels.computedValuesMatch(plan)) {
                plan.computed = true;
                return;
            }
        }
}

bool isPowerOfTwo(double value) {
    int exponent;
    return std::isfinite(value) && value != 0 && std::fabs(std::frexp(value, &exponent)) == 0.5;
}

FusedRowPlan fusedPlanOf(const float *weights, int32_t count, double divisor, double bias) {
    FusedRowPlan plan = {};
    for (int32_t k = 0; k < count; ++k) plan.weights[k] = weights[k];
    plan.divisor = divisor;
    plan.bias = bias;
    plan.reciprocal = 1.0 / divisor;
    plan.singleReciprocal = static_cast<float>(plan.reciprocal);
    const bool normal = std::isnormal(plan.reciprocal);
    if (normal && isPowerOfTwo(divisor))
        plan.epilogue = bias == 0 && std::isnormal(plan.singleReciprocal) ? FusedEpilogue::SingleProduct
                                                                         : FusedEpilogue::DoubleProduct;
    else
        plan.epilogue = normal ? FusedEpilogue::CheckedProduct : FusedEpilogue::Quotient;
    return plan;
}

// The columns of whole steps that go to the row kernels; 0 for none.
int32_t stripColumnsOf(int32_t width, int32_t step) { return width >= step ? width - width % step : 0; }

template <int Size>
int32_t stripsOfSize(const ConvolutionRowKernels &kernels, const FusedRowKernels *fused, const uint32_t *sourceWords,
                     uint32_t *destinationWords, int32_t width, int32_t height, const float *weights, double divisor,
                     double bias) {
    SmallIntegerWeights integer;
    if (smallIntegerWeightsOf(weights, Size * Size, integer)) {
        const int32_t columns = stripColumnsOf(width, kernels.step);
        if (columns == 0) return 0;
        // Three bytes to spare: a row kernel may read a 32-bit word at any entry.
        alignas(64) uint8_t values[SmallIntegerWeights::LargestSumCount + 3] = {};
        fillChannelValues(integer, divisor, bias, values);
        IntegerRowPlan plan = {integer.scaled, values, integer.lowestSum, integer.sumCount, false, 0.0f, 0.0f, false, 0, 0, 0, 0};
        chooseComputedValues(kernels, integer, divisor, bias, plan);
        if (kernels.takesFixedPointValues) fitFixedPointValues(plan, std::ldexp(1.0, -integer.shift) / divisor);
        walkStrips<Size, uint32_t[RowEntries]>(sourceWords, destinationWords, width, height, columns,
                                               kernels.layOutRow, Size == 3 ? kernels.integerRow3 : kernels.integerRow5,
                                               plan);
        return columns;
    }
    if (fused != nullptr && fusedSumsAreExact(weights, Size * Size)) {
        const int32_t columns = stripColumnsOf(width, fused->step);
        if (columns > 0) {
            walkStrips<Size, SingleChannelPlanes>(sourceWords, destinationWords, width, height, columns,
                                                  fused->splitRow, Size == 3 ? fused->fusedRow3 : fused->fusedRow5,
                                                  fusedPlanOf(weights, Size * Size, divisor, bias));
            return columns;
        }
    }
    const int32_t columns = stripColumnsOf(width, kernels.step);
    if (columns == 0) return 0;
    FloatRowPlan plan;
    for (int32_t k = 0; k < Size * Size; ++k) plan.weights[k] = weights[k];
    plan.divisor = divisor;
    plan.bias = bias;
    // A laid-out row on its way to its planes.
    alignas(64) uint32_t words[RowEntries];
    const auto layOutPlanes = [&](const uint32_t *sourceRow, int32_t rowWidth, int32_t firstColumn, int32_t entries,
                                  ChannelPlanes &planes) {
        kernels.layOutRow(sourceRow, rowWidth, firstColumn, entries, words);
        kernels.splitRow(words, entries, planes);
    };
    walkStrips<Size, ChannelPlanes>(sourceWords, destinationWords, width, height, columns, layOutPlanes,
                                    Size == 3 ? kernels.floatRow3 : kernels.floatRow5, plan);
    return columns;
}

} // namespace

void convolveInStrips(const ConvolutionRowKernels &kernels, const FusedRowKernels *fused, int32_t size,
                      const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                      const uint32_t *kernelWords, double divisor, double bias) {
    // In place, each pixel sees the new values of the pixels written before
    // it, column by column: only the scalar kernel keeps that order.
    int32_t columns = 0;
    if (sourceWords != destinationWords && height > 0) {
        float weights[25];
        std::memcpy(weights, kernelWords, sizeof(float) * static_cast<size_t>(size * size));
        columns = size == 3 ? stripsOfSize<3>(kernels, fused, sourceWords, destinationWords, width, height, weights,
                                              divisor, bias)
                            : stripsOfSize<5>(kernels, fused, sourceWords, destinationWords, width, height, weights,
                                              divisor, bias);
    }
    convolveColumnsFrom(size, columns, sourceWords, destinationWords, width, height, kernelWords, divisor, bias);
}

} // namespace mardolin
