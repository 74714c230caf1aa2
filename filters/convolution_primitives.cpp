// The two convolution primitives.
#include "convolution.h"
#include "primitive_arguments.h"

namespace mardolin {
namespace {

// matrixNXNMultiplication(source, destination, kernel, divisor, bias)
constexpr PrimitiveLayout Convolution3X3Layout = {5, 2, 9, true};
constexpr PrimitiveLayout Convolution5X5Layout = {5, 2, 25, true};

using ConvolutionPass = void (*)(const uint32_t *, uint32_t *, int32_t, int32_t, const uint32_t *, double, double);

HostWord runConvolution(const PrimitiveLayout &layout, ConvolutionPass pass) {
    PrimitiveArguments arguments;
    if (!readPrimitiveArguments(layout, arguments)) return 0;
    const double divisor = arguments.floatAt[1];
    const double bias = arguments.floatAt[0];
    pass(arguments.pixels[0], arguments.pixels[1], arguments.width, arguments.height, arguments.kernel, divisor, bias);
    answerReceiver(layout, arguments);
    return 1;
}

} // namespace
} // namespace mardolin

using namespace mardolin;

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL matrix3X3Multiplication(void) {
    return runConvolution(Convolution3X3Layout, convolve3X3);
}

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL matrix5X5Multiplication(void) {
    return runConvolution(Convolution5X5Layout, convolve5X5);
}
