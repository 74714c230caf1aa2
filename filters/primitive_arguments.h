// Reading and checking the operands of a filter primitive, shared by all
// eight. Every host read happens here, in the order the host may log, and a
// primitive writes no pixel unless readPrimitiveArguments answered true.
#ifndef MARDOLIN_PRIMITIVE_ARGUMENTS_H
#define MARDOLIN_PRIMITIVE_ARGUMENTS_H

#include "host_interface.h"

#include <cstdint>

namespace mardolin {

// Where a primitive's operands sit on the host stack (depth 0 is the last
// argument, the receiver sits at depth argumentCount):
//   depths 0 .. floatCount - 1                 floats
//   depth floatCount, when kernelWordCount > 0  the convolution kernel
//   the depths above, up to argumentCount - 1  bitmaps; the deepest gives
//                                              width and height
struct PrimitiveLayout {
    int argumentCount;
    int floatCount;
    int kernelWordCount;
    // Convolution: reads the divisor before the bias, and takes and checks
    // each pixel array in turn. The others read floats from depth 0 up and
    // take every pixel array before checking any.
    bool convolutionOrder;
};

constexpr int MaximumFloats = 6;
constexpr int MaximumBitmaps = 3;

struct PrimitiveArguments {
    double floatAt[MaximumFloats];    // indexed by depth
    const uint32_t *kernel;           // null unless the layout has one
    uint32_t *pixels[MaximumBitmaps]; // deepest bitmap first
    int32_t width;
    int32_t height;
    int32_t pixelCount; // width * height, never negative
    HostWord receiver;
};

// Host thread. Reads every operand and checks the pixel arrays, the
// dimensions and the word counts. Answers false when the primitive has
// failed: the failure flag is then set and the primitive must write nothing
// and push nothing.
bool readPrimitiveArguments(const PrimitiveLayout &layout, PrimitiveArguments &arguments);

// Host thread. Replaces the receiver and its arguments by the receiver.
void answerReceiver(const PrimitiveLayout &layout, const PrimitiveArguments &arguments);

// Host thread. The frame of every filter primitive: reads and checks the
// operands, runs pass(arguments) on them and answers the receiver. Answers
// what the primitive returns to the host: 0 when it failed, having written
// and pushed nothing, else 1.
template <typename Pass> HostWord runPrimitive(const PrimitiveLayout &layout, Pass pass) {
    PrimitiveArguments arguments;
    if (!readPrimitiveArguments(layout, arguments)) return 0;
    pass(static_cast<const PrimitiveArguments &>(arguments));
    answerReceiver(layout, arguments);
    return 1;
}

} // namespace mardolin

#endif
