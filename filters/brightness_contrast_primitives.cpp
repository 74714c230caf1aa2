// The two brightness and contrast primitives.
#include "kernel_dispatch.h"
#include "primitive_arguments.h"

namespace mardolin {
namespace {

// adjustBrightnessAndContrast(bitmap, brightness, contrast)
constexpr PrimitiveLayout SharedLevelsLayout = {3, 2, 0, false};
// adjustRBGBrightnessAndContrast(bitmap, redBrightness, greenBrightness,
//     blueBrightness, redContrast, greenContrast, blueContrast)
constexpr PrimitiveLayout PerChannelLevelsLayout = {7, 6, 0, false};

} // namespace
} // namespace mardolin

using namespace mardolin;

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL adjustBrightnessAndContrast(void) {
    return runPrimitive(SharedLevelsLayout, [](const PrimitiveArguments &arguments) {
        const double contrast = arguments.floatAt[0];
        const double brightness = arguments.floatAt[1];
        dispatch::adjustBrightnessAndContrast(arguments.pixels[0], arguments.pixelCount,
                                              {contrast, contrast, contrast}, {brightness, brightness, brightness});
    });
}

// Host thread.
PLUGIN_EXPORT HostWord HOST_CALL adjustRBGBrightnessAndContrast(void) {
    return runPrimitive(PerChannelLevelsLayout, [](const PrimitiveArguments &arguments) {
        const double *level = arguments.floatAt;
        dispatch::adjustBrightnessAndContrast(arguments.pixels[0], arguments.pixelCount,
                                              {level[2], level[1], level[0]}, {level[5], level[4], level[3]});
    });
}
