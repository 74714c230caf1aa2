// The background subtraction primitive.
#include "kernel_dispatch.h"
#include "primitive_arguments.h"

namespace mardolin {
namespace {

// backgroundSubstraction(frame, background, output, threshold)
constexpr PrimitiveLayout SubtractionLayout = {4, 1, 0, false};

} // namespace
} // namespace mardolin

using namespace mardolin;

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL backgroundSubstraction(void) {
    return runPrimitive(SubtractionLayout, [](const PrimitiveArguments &arguments) {
        dispatch::subtractBackground(arguments.pixels[0], arguments.pixels[1], arguments.pixels[2],
                                     arguments.pixelCount, arguments.floatAt[0]);
    });
}
