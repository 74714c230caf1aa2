// The fast convolution: the picture in strips of at most StripColumns
// columns, each strip row by row. Each source row a strip needs is laid out
// once, as the row kernels read it, in a ring of as many rows as the kernel
// has; a row kernel then makes one strip row of output words from them.
// Columns past the last whole step go through the scalar kernel, and so does
// a pass whose destination is its source.
#ifndef MARDOLIN_CONVOLUTION_ROWS_H
#define MARDOLIN_CONVOLUTION_ROWS_H

#include <cstdint>

namespace mardolin {

constexpr int32_t StripColumns = 256;
// A laid-out row: the strip's columns and the reach (up to 2) on each side.
constexpr int32_t RowEntries = StripColumns + 4;

// Channel values as doubles, for the single-precision sums.
struct ChannelPlanes {
    double red[RowEntries];
    double green[RowEntries];
    double blue[RowEntries];
};

struct IntegerRowPlan {
    const int32_t *scaledWeights; // SmallIntegerWeights::scaled
    const uint8_t *values;        // channel value of integer sum lowestSum + i, 3 bytes to spare
    int32_t lowestSum;
    int32_t sumCount;
    // When set, the row kernels compute each value as the truncation of
    // sum * scale + offset in single precision, clamped, instead of looking
    // it up: only once that has given the table's value for every sum.
    bool computed;
    float scale;
    float offset;
    // When set, row kernels that take the fixed-point form compute each
    // value in 16-bit lanes instead, as fixedPointValue states: only once
    // that has given the table's value for every sum.
    bool fixedPoint;
    int16_t fixedOffset;
    int16_t fixedShift;
    int16_t fixedFactor;
    int16_t fixedDrop;
};

// clamp((((sum + fixedOffset) << fixedShift) * fixedFactor) >> (16 +
// fixedDrop), 0, 255), the shift rounding down; fitFixedPointValues keeps
// every step inside 16 bits and the product inside 32.
int32_t fixedPointValue(const IntegerRowPlan &plan, int32_t sum);

// Looks for a fixed-point form that gives every value of plan's table, and
// sets it in plan (fixedPoint and its four numbers) if there is one.
// scale is the value's rise per unit of sum; a falling one has no form.
void fitFixedPointValues(IntegerRowPlan &plan, double scale);

struct FloatRowPlan {
    double weights[25];
    double divisor;
    double bias;
};

// Row kernels of one instruction set. Entry j of a laid-out row holds the
// source column firstColumn + j, clamped to the picture, with blueOf's rule
// applied; a row kernel's output column x reads entries x .. x + size - 1.
struct ConvolutionRowKernels {
    int32_t step; // the row kernels' width: strips are whole steps
    void (*layOutRow)(const uint32_t *sourceRow, int32_t width, int32_t firstColumn, int32_t entries, uint32_t *row);
    void (*splitRow)(const uint32_t *row, int32_t entries, ChannelPlanes &planes);
    // Whether the computed values of plan (scale and offset) equal its table's for every sum.
    bool (*computedValuesMatch)(const IntegerRowPlan &plan);
    bool takesFixedPointValues; // whether the integer row kernels use a plan's fixed-point form
    // rows[i]: the laid-out row i - reach rows from the output row's.
    void (*integerRow3)(const uint32_t *const *rows, uint32_t *output, int32_t count, const IntegerRowPlan &plan);
    void (*integerRow5)(const uint32_t *const *rows, uint32_t *output, int32_t count, const IntegerRowPlan &plan);
    void (*floatRow3)(const ChannelPlanes *const *rows, uint32_t *output, int32_t count, const FloatRowPlan &plan);
    void (*floatRow5)(const ChannelPlanes *const *rows, uint32_t *output, int32_t count, const FloatRowPlan &plan);
};

extern const ConvolutionRowKernels ConvolutionRowsAvx2;
extern const ConvolutionRowKernels ConvolutionRowsNeon;

// Channel values as singles, for the fused sums of kernels whose weights
// fusedSumsAreExact accepts.
struct SingleChannelPlanes {
    float red[RowEntries];
    float green[RowEntries];
    float blue[RowEntries];
};

// How the fused kernels take a sum S to its quotient (S + bias) / divisor.
// Each but the last gives the quotient's truncation exactly:
enum class FusedEpilogue : int32_t {
    // bias +-0 and a divisor 2^k whose reciprocal is a normal single: S x
    // 2^-k in single precision is exact wherever its truncation is not 0.
    SingleProduct,
    // a divisor 2^k whose reciprocal is a normal double: (S + bias) x 2^-k
    // is the quotient itself.
    DoubleProduct,
    // a divisor with a normal reciprocal: the product with it lies within
    // 2^-50 of the quotient, relatively; where an integer other than 0 lies
    // that close, the step divides instead.
    CheckedProduct,
    Quotient,
};

struct FusedRowPlan {
    float weights[25];
    double divisor;
    double bias;
    double reciprocal;
    float singleReciprocal;
    FusedEpilogue epilogue;
};

// The fused row kernels of one instruction set with fused multiply-add.
struct FusedRowKernels {
    int32_t step;
    // The laid-out row (entry j: column firstColumn + j, clamped, blueOf's
    // rule applied) split into its three channels.
    void (*splitRow)(const uint32_t *sourceRow, int32_t width, int32_t firstColumn, int32_t entries,
                     SingleChannelPlanes &planes);
    void (*fusedRow3)(const SingleChannelPlanes *const *rows, uint32_t *output, int32_t count,
                      const FusedRowPlan &plan);
    void (*fusedRow5)(const SingleChannelPlanes *const *rows, uint32_t *output, int32_t count,
                      const FusedRowPlan &plan);
};

extern const FusedRowKernels FusedRowsAvx2;

// convolve3X3 (size 3) or convolve5X5 (size 5), word for word, through the
// row kernels; kernels of fusedSumsAreExact through the fused ones when
// there are (fused not null). Host thread; touches what the scalar kernel
// touches.
void convolveInStrips(const ConvolutionRowKernels &kernels, const FusedRowKernels *fused, int32_t size,
                      const uint32_t *sourceWords, uint32_t *destinationWords, int32_t width, int32_t height,
                      const uint32_t *kernelWords, double divisor, double bias);

} // namespace mardolin

#endif
