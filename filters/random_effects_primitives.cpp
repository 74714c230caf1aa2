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
    PrimitiveArguments arguments;
    if (!readPrimitiveArguments(MeltLayout, arguments)) return 0;
    dispatch::melt(arguments.pixels[0], arguments.width, arguments.height, arguments.floatAt[0]);
    answerReceiver(MeltLayout, arguments);
    return 1;
}

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL oldBWTV(void) {
    PrimitiveArguments arguments;
    if (!readPrimitiveArguments(TelevisionLayout, arguments)) return 0;
    dispatch::oldBWTV(arguments.pixels[0], arguments.pixelCount);
    answerReceiver(TelevisionLayout, arguments);
    return 1;
}

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL oldColorTV(void) {
    PrimitiveArguments arguments;
    if (!readPrimitiveArguments(TelevisionLayout, arguments)) return 0;
    dispatch::oldColorTV(arguments.pixels[0], arguments.pixelCount);
    answerReceiver(TelevisionLayout, arguments);
    return 1;
}
