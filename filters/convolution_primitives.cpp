// The two convolution primitives.
#include "kernel_dispatch.h"
#include "primitive_arguments.h"

namespace mardolin {
namespace {

// matrixNXNMultiplication(source, destination, kernel, divisor, bias)
constexpr PrimitiveLayout Convolution3X3Layout = {5, 2, 9, true};
constexpr PrimitiveLayout Convolution5X5Layout = {5, 2, 25, true};

HostWord runConvolution(const PrimitiveLayout &layout, int32_t size) {
    return runPrimitive(layout, [size](const PrimitiveArguments &arguments) {
        const double divisor = arguments.floatAt[1];
        const double bias = arguments.floatAt[0];
        dispatch::convolve(size, arguments.pixels[0], arguments.pixels[1], arguments.width, arguments.height,
                           arguments.kernel, divisor, bias);
    });
}

} // namespace
} // namespace mardolin

using namespace mardolin;

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL matrix3X3Multiplication(void) { return runConvolution(Convolution3X3Layout, 3); }

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL matrix5X5Multiplication(void) { return runConvolution(Convolution5X5Layout, 5); }
