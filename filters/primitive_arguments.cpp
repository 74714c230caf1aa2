#include "primitive_arguments.h"

#include "host_binding.h"
#include "pixel.h"

#include <cstdint>
#include <limits>

namespace mardolin {

namespace {

bool failPrimitive() {
    host().fail();
    return false;
}

bool isPixelArray(HostWord object) { return !hostIsImmediate(object) && host().isWordObject(object) != 0; }

// Slot 1 (width) or 2 (height) of a bitmap, an immediate or a float. A float
// beyond the 32-bit range calls fail and counts as 0.
int64_t bitmapDimensionOf(HostWord index, HostWord bitmap) {
    const HostWord value = host().slotOf(index, bitmap);
    if (hostIsImmediate(value)) return hostImmediateValue(value);
    const double dimension = host().floatOf(value);
    if (dimension < -2147483648.0 || dimension > 2147483647.0) {
        host().fail();
        return 0;
    }
    return truncateToWord(dimension);
}

// Reads the kernel first and settles it at once, before any other operand.
bool readKernel(HostWord depth, HostWord wordCount, const uint32_t *&kernel) {
    const HostWord object = host().objectArgAt(depth);
    if (host().hasFailed()) return false;
    if (host().isWordObject(object) == 0 || host().slotCountOf(object) != wordCount) return failPrimitive();
    kernel = static_cast<const uint32_t *>(host().firstWordOf(object));
    return true;
}

void readFloats(const PrimitiveLayout &layout, PrimitiveArguments &arguments) {
    for (int i = 0; i < layout.floatCount; ++i) {
        const int depth = layout.convolutionOrder ? layout.floatCount - 1 - i : i;
        arguments.floatAt[depth] = host().floatArgAt(depth);
    }
}

} // namespace

bool readPrimitiveArguments(const PrimitiveLayout &layout, PrimitiveArguments &arguments) {
    arguments = PrimitiveArguments{};
    const bool hasKernel = layout.kernelWordCount > 0;
    if (hasKernel && !readKernel(layout.floatCount, layout.kernelWordCount, arguments.kernel)) return false;
    readFloats(layout, arguments);

    const int firstBitmapDepth = layout.floatCount + (hasKernel ? 1 : 0);
    const int bitmapCount = layout.argumentCount - firstBitmapDepth;
    HostWord bitmaps[MaximumBitmaps] = {};
    for (int depth = firstBitmapDepth; depth < layout.argumentCount; ++depth)
        bitmaps[layout.argumentCount - 1 - depth] = host().objectArgAt(depth);
    arguments.receiver = host().objectArgAt(layout.argumentCount);

    // A failed read answers a harmless value, so the reads and checks above
    // and below still run in their fixed order; the flag is settled once,
    // after the dimensions, before anything is written or pushed.
    HostWord pixelArrays[MaximumBitmaps] = {};
    if (layout.convolutionOrder) {
        for (int b = 0; b < bitmapCount; ++b) {
            pixelArrays[b] = host().slotOf(0, bitmaps[b]);
            if (!isPixelArray(pixelArrays[b])) return failPrimitive();
        }
    } else {
        for (int b = 0; b < bitmapCount; ++b) pixelArrays[b] = host().slotOf(0, bitmaps[b]);
        for (int b = 0; b < bitmapCount; ++b)
            if (!isPixelArray(pixelArrays[b])) return failPrimitive();
    }

    const int64_t width = bitmapDimensionOf(1, bitmaps[0]);
    const int64_t height = bitmapDimensionOf(2, bitmaps[0]);
    if (host().hasFailed()) return false;
    // Negative sizes and areas beyond 32 bits have no pixel array to match.
    constexpr int64_t largest = std::numeric_limits<int32_t>::max();
    if (width < 0 || height < 0 || width > largest || height > largest) return failPrimitive();
    const int64_t pixelCount = width * height;
    if (pixelCount > largest) return failPrimitive();

    for (int b = 0; b < bitmapCount; ++b)
        if (host().slotCountOf(pixelArrays[b]) != pixelCount) return failPrimitive();
    for (int b = 0; b < bitmapCount; ++b)
        arguments.pixels[b] = static_cast<uint32_t *>(host().firstWordOf(pixelArrays[b]));

    arguments.width = static_cast<int32_t>(width);
    arguments.height = static_cast<int32_t>(height);
    arguments.pixelCount = static_cast<int32_t>(pixelCount);
    return true;
}

void answerReceiver(const PrimitiveLayout &layout, const PrimitiveArguments &arguments) {
    host().popAndPush(layout.argumentCount + 1, arguments.receiver);
}

} // namespace mardolin
