// Every filter primitive called through the project's host, as a host
// program calls it: on the built libMardolin, at the fastest level the
// processor has, and on its test copy switched to the AVX2 level (works
// named ..._avx2); and melt's plain scalar loop, the anchor of the melt goal.
#include "bench_registry.h"

#include "interpreter.h"
#include "plugin_loader.h"
#include "random_effects.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace bench {

namespace {

// One host for both libraries: its table serves the interpreter that is current.
struct Host {
    host::Interpreter vm;
    std::unique_ptr<host::Plugin> plugins[2]; // by Level
};

enum class Level { Best, Avx2 };

// The test copy's switch: 2 is the AVX2 level.
using SelectKernels = HostWord(HOST_CALL *)(HostWord);
constexpr HostWord Avx2Level = 2;

std::unique_ptr<host::Plugin> loadedPlugin(Host &host, Level level) {
    std::string error;
    const bool best = level == Level::Best;
    auto plugin = best ? host::Plugin::open("Mardolin", host::Plugin::defaultDirectory(), &error)
                       : host::Plugin::open("MardolinKernelSwitch", host::Plugin::defaultDirectory() + "/test-only",
                                            &error);
    if (plugin == nullptr || plugin->bind(host.vm.table()) != 1) {
        std::fprintf(stderr, "cannot load the filter library: %s\n", error.c_str());
        std::exit(1);
    }
    if (!best) {
        auto select = reinterpret_cast<SelectKernels>(plugin->symbol("selectMardolinKernels"));
        if (select == nullptr || select(Avx2Level) != 1) {
            std::fprintf(stderr, "this processor has no AVX2 level\n");
            std::exit(1);
        }
    }
    return plugin;
}

Host &theHost() {
    static Host *made = new Host;
    return *made;
}

host::Plugin &pluginOf(Level level) {
    std::unique_ptr<host::Plugin> &plugin = theHost().plugins[static_cast<int>(level)];
    if (plugin == nullptr) plugin = loadedPlugin(theHost(), level);
    return *plugin;
}

bool processorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

// What one call is made of: its operands in message order.
struct Operand {
    enum Kind { Picture, SecondPicture, Output, Kernel, Number } kind;
    double number;
    std::vector<float> weights;
};

Operand picture() { return {Operand::Picture, 0, {}}; }
Operand secondPicture() { return {Operand::SecondPicture, 0, {}}; }
Operand output() { return {Operand::Output, 0, {}}; }
Operand kernel(std::vector<float> weights) { return {Operand::Kernel, 0, std::move(weights)}; }
Operand number(double value) { return {Operand::Number, value, {}}; }

// Starts from an empty object memory, makes the operands and answers one
// call. With restoresPicture, each call first puts back the first bitmap's
// words: melt's work depends on how far the picture has already melted.
std::function<void()> preparedCall(Level level, const char *primitive, const std::vector<Operand> &operands,
                                   PictureSize size, bool restoresPicture) {
    Host &host = theHost();
    host::ObjectMemory &memory = host.vm.memory();
    memory.clear();
    const size_t count = size_t(size.width) * size_t(size.height);
    auto bitmapOf = [&](uint32_t seed) {
        return memory.newBitmapWithSlots(memory.newWords(seededWords(count, seed)), host::ObjectMemory::smallInteger(size.width),
                                host::ObjectMemory::smallInteger(size.height), host::ObjectMemory::smallInteger(32));
    };
    std::vector<HostWord> arguments;
    for (const Operand &operand : operands) {
        switch (operand.kind) {
        case Operand::Picture: arguments.push_back(bitmapOf(1)); break;
        case Operand::SecondPicture: arguments.push_back(bitmapOf(2)); break;
        case Operand::Output: arguments.push_back(bitmapOf(3)); break;
        case Operand::Kernel: {
            std::vector<uint32_t> words(operand.weights.size());
            std::memcpy(words.data(), operand.weights.data(), words.size() * sizeof(float));
            arguments.push_back(memory.newWords(words));
            break;
        }
        case Operand::Number: arguments.push_back(memory.newFloat(operand.number)); break;
        }
    }
    const HostWord receiver = memory.newPointers(0);
    const host::Plugin::Primitive entry = pluginOf(level).primitive(primitive);
    uint32_t *picture = memory.words(memory.slots(arguments.front())[0]);
    auto pristine =
        std::make_shared<std::vector<uint32_t>>(restoresPicture ? seededWords(count, 1) : std::vector<uint32_t>());
    return [&host, entry, receiver, arguments, primitive, picture, pristine] {
        std::copy(pristine->begin(), pristine->end(), picture);
        host.vm.prepareCall(receiver, {});
        host.vm.stack().insert(host.vm.stack().end(), arguments.begin(), arguments.end());
        entry();
        if (host.vm.failed()) {
            std::fprintf(stderr, "%s failed\n", primitive);
            std::exit(1);
        }
    };
}

// Registers the call at the fastest level as work, with its goal, and at
// the AVX2 level as work_avx2, with the goal for processors without AVX-512.
void registerCall(const std::string &work, const std::string &anchor, double goal, double avx2Goal,
                  const char *primitive, const std::vector<Operand> &operands, bool restoresPicture = false) {
    registerWork(work, anchor, goal, [primitive, operands, restoresPicture](PictureSize size) {
        return preparedCall(Level::Best, primitive, operands, size, restoresPicture);
    });
    if (!processorHasAvx2()) return;
    registerWork(work + "_avx2", anchor, avx2Goal, [primitive, operands, restoresPicture](PictureSize size) {
        return preparedCall(Level::Avx2, primitive, operands, size, restoresPicture);
    });
}

const std::vector<float> FloatKernel3 = {0.075f, 0.124f, 0.075f, 0.124f, 0.204f, 0.124f, 0.075f, 0.124f, 0.075f};
// Weights from 1e-9 to 1: its single-precision sums are not exact as fused
// multiply-adds, so it keeps the double lanes.
const std::vector<float> WideKernel3 = {1e-9f, 0.124f, 0.075f, 0.124f, 0.204f, 0.124f, 0.075f, 0.124f, 1e-9f};
const std::vector<float> BoxKernel3 = std::vector<float>(9, 1.0f);
const std::vector<float> SharpenKernel3 = {0.0f, -1.0f, 0.0f, -1.0f, 5.0f, -1.0f, 0.0f, -1.0f, 0.0f};
const std::vector<float> EdgeKernel3 = {-1.0f, -1.0f, -1.0f, -1.0f, 8.0f, -1.0f, -1.0f, -1.0f, -1.0f};

std::vector<float> floatKernel5() {
    std::vector<float> weights;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) weights.push_back(0.013f * float((3 - std::abs(x - 2)) * (3 - std::abs(y - 2))));
    return weights;
}

} // namespace

void registerFilterWorks() {
    registerCall("adjustBrightnessAndContrast", "opencv_convertScaleAbs", 1.0, 1.0, "adjustBrightnessAndContrast",
                 {picture(), number(0.1), number(0.3)});
    registerCall("adjustRBGBrightnessAndContrast", "opencv_convertScaleAbs", 1.0, 1.0, "adjustRBGBrightnessAndContrast",
                 {picture(), number(0.1), number(-0.2), number(0.05), number(0.3), number(0.2), number(-0.1)});
    registerCall("backgroundSubstraction", "opencv_absdiff", 0.9, 1.0, "backgroundSubstraction",
                 {picture(), secondPicture(), output(), number(0.05)});
    registerCall("matrix3X3Multiplication_float", "opencv_filter2D_3x3", 1.0, 1.2, "matrix3X3Multiplication",
                 {picture(), output(), kernel(FloatKernel3), number(1.0), number(0.0)});
    registerCall("matrix3X3Multiplication_wide", "opencv_filter2D_3x3", 0, 0, "matrix3X3Multiplication",
                 {picture(), output(), kernel(WideKernel3), number(1.0), number(0.0)});
    registerCall("matrix3X3Multiplication_box", "opencv_filter2D_3x3", 0.45, 0.5, "matrix3X3Multiplication",
                 {picture(), output(), kernel(BoxKernel3), number(9.0), number(0.0)});
    registerCall("matrix3X3Multiplication_sharpen", "opencv_filter2D_3x3", 0.45, 0.5, "matrix3X3Multiplication",
                 {picture(), output(), kernel(SharpenKernel3), number(1.0), number(0.0)});
    registerCall("matrix3X3Multiplication_edge", "opencv_filter2D_3x3", 0.45, 0.5, "matrix3X3Multiplication",
                 {picture(), output(), kernel(EdgeKernel3), number(1.0), number(128.0)});
    registerCall("matrix5X5Multiplication_float", "opencv_filter2D_5x5", 1.0, 1.2, "matrix5X5Multiplication",
                 {picture(), output(), kernel(floatKernel5()), number(1.0), number(0.0)});
    registerCall("oldBWTV", "memcpy", 2.5, 2.5, "oldBWTV", {picture()});
    registerCall("oldColorTV", "memcpy", 4.0, 4.0, "oldColorTV", {picture()});
    registerCall("melt", "melt_plain_loop", 1.0 / 3.0, 1.0 / 3.0, "melt", {picture(), number(1.0)}, true);
    registerWork("melt_plain_loop", "", 0, [](PictureSize size) {
        auto pristine = std::make_shared<std::vector<uint32_t>>(seededWords(size_t(size.width) * size.height, 1));
        auto words = std::make_shared<std::vector<uint32_t>>(pristine->size());
        return [pristine, words, size] {
            std::copy(pristine->begin(), pristine->end(), words->begin());
            mardolin::meltPixels(words->data(), size.width, size.height, 1.0);
        };
    });
}

} // namespace bench
