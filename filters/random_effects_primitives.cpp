// The melt and old-television primitives.
#include "kernel_dispatch.h"
#include "primitive_arguments.h"
#include "random_effects.h"

namespace mardolin {
namespace {

// melt(bitmap, amount)
constexpr PrimitiveLayout MeltLayout = {2, 1, 0, false};
// oldBWTV(bitmap), oldColorTV(bitmap)
constexpr PrimitiveLayout TelevisionLayout = {1, 0, 0, false};

} // namespace
} // namespace mardolin

using namespace mardolin;

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL melt(void) {
    return runPrimitive(MeltLayout, [](const PrimitiveArguments &arguments) {
        dispatch::melt(arguments.pixels[0], arguments.width, arguments.height, arguments.floatAt[0]);
    });
}

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL oldBWTV(void) {
    return runPrimitive(TelevisionLayout, [](const PrimitiveArguments &arguments) {
        dispatch::oldBWTV(arguments.pixels[0], arguments.pixelCount);
    });
}

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL oldColorTV(void) {
    return runPrimitive(TelevisionLayout, [](const PrimitiveArguments &arguments) {
        dispatch::oldColorTV(arguments.pixels[0], arguments.pixelCount);
    });
}
