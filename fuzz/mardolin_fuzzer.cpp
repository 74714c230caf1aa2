// Calls Mardolin's eight primitives with host stacks built from the
// fuzzer's bytes and checks, after each call, the promises every primitive
// makes (call_promises.h), and that it succeeds exactly when its operands
// are well formed: float arguments floats, the kernel a word object of the
// right size, every bitmap's pixel array a word object of width x height
// words, width and height those of the deepest bitmap, not negative and
// with a product that fits 31 bits.
#include "call_promises.h"
#include "host_object_generator.h"
#include "plugin_loader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

namespace {

using fuzzhost::Role;
using host::ObjectKind;
using host::ObjectMemory;

struct Form {
    const char *name;
    int argumentCount;
    int floatCount;      // depths 0 .. floatCount - 1
    int kernelWords;     // at depth floatCount, when not 0
    int writtenBitmapDepth;
};

const Form kForms[] = {
    {"adjustBrightnessAndContrast", 3, 2, 0, 2},
    {"adjustRBGBrightnessAndContrast", 7, 6, 0, 6},
    {"backgroundSubstraction", 4, 1, 0, 1},
    {"matrix3X3Multiplication", 5, 2, 9, 3},
    {"matrix5X5Multiplication", 5, 2, 25, 3},
    {"melt", 2, 1, 0, 1},
    {"oldBWTV", 1, 0, 0, 0},
    {"oldColorTV", 1, 0, 0, 0},
};

// Melt makes amount x width x height attempts; more than this many are
// slow, not wrong.
constexpr double kMostMeltAttempts = 100000.0;

host::Interpreter *vm = nullptr;
std::unique_ptr<host::Plugin> mardolin;

Role roleAt(const Form &form, int depth) {
    if (depth < form.floatCount) return Role::Float;
    if (form.kernelWords != 0 && depth == form.floatCount) return form.kernelWords == 9 ? Role::Kernel3 : Role::Kernel5;
    if (depth < form.argumentCount) return Role::Bitmap;
    return Role::Any;
}

bool isKind(const ObjectMemory &memory, HostWord object, ObjectKind kind) {
    return memory.isObject(object) && memory.kindOf(object) == kind;
}

bool isPointersWithSlots(const ObjectMemory &memory, HostWord object, size_t slots) {
    return isKind(memory, object, ObjectKind::Pointers) && memory.slotCount(object) >= slots;
}

// Slot 1 or 2 of a bitmap as the filters read it; false when refused.
bool dimensionOf(const ObjectMemory &memory, HostWord value, int64_t &dimension) {
    if (ObjectMemory::isSmallInteger(value)) {
        dimension = ObjectMemory::smallIntegerValue(value);
        return true;
    }
    if (!isKind(memory, value, ObjectKind::Float)) return false;
    const double f = memory.floatValue(value);
    if (f < -2147483648.0 || f > 2147483647.0) return false;
    dimension = std::isnan(f) ? 0 : int64_t(std::trunc(f));
    return true;
}

HostWord at(const std::vector<HostWord> &stack, int depth) { return stack[stack.size() - 1 - size_t(depth)]; }

bool wellFormed(const ObjectMemory &memory, const Form &form, const std::vector<HostWord> &stack) {
    for (int depth = 0; depth < form.floatCount; ++depth)
        if (!isKind(memory, at(stack, depth), ObjectKind::Float)) return false;
    const int firstBitmap = form.floatCount + (form.kernelWords != 0 ? 1 : 0);
    if (form.kernelWords != 0) {
        HostWord kernel = at(stack, form.floatCount);
        if (!isKind(memory, kernel, ObjectKind::Words) || memory.slotCount(kernel) != size_t(form.kernelWords)) return false;
    }
    const HostWord deepest = at(stack, form.argumentCount - 1);
    if (!isPointersWithSlots(memory, deepest, 3)) return false;
    int64_t width = 0, height = 0;
    if (!dimensionOf(memory, memory.slots(deepest)[1], width) || !dimensionOf(memory, memory.slots(deepest)[2], height))
        return false;
    if (width < 0 || height < 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || width * height > 0x7FFFFFFF)
        return false;
    for (int depth = firstBitmap; depth < form.argumentCount; ++depth) {
        HostWord bitmap = at(stack, depth);
        if (!isPointersWithSlots(memory, bitmap, 1)) return false;
        HostWord pixels = memory.slots(bitmap)[0];
        if (!isKind(memory, pixels, ObjectKind::Words) || int64_t(memory.slotCount(pixels)) != width * height) return false;
    }
    return true;
}

void boundMeltAttempts(ObjectMemory &memory, const std::vector<HostWord> &stack) {
    HostWord amount = at(stack, 0), bitmap = at(stack, 1);
    if (!isKind(memory, amount, ObjectKind::Float) || !isPointersWithSlots(memory, bitmap, 1)) return;
    HostWord pixels = memory.slots(bitmap)[0];
    if (!isKind(memory, pixels, ObjectKind::Words)) return;
    const double attempts = std::fabs(memory.floatValue(amount)) * double(memory.slotCount(pixels));
    if (attempts > kMostMeltAttempts) {
        const double bounded = 0.75;
        std::memcpy(memory.words(amount), &bounded, sizeof bounded);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vm = new host::Interpreter();
    std::string error;
    mardolin = host::Plugin::open("Mardolin", host::Plugin::defaultDirectory(), &error);
    if (mardolin == nullptr || mardolin->bind(vm->table()) != 1) {
        std::fprintf(stderr, "cannot load Mardolin: %s\n", error.c_str());
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    ObjectMemory &memory = vm->memory();
    memory.clear();
    const Form &form = kForms[input.ConsumeIntegralInRange<size_t>(0, std::size(kForms) - 1)];
    fuzzhost::ObjectGenerator generator(input, memory);

    // The receiver and arguments, and now and then entries beneath them.
    const int entries = form.argumentCount + 1 + input.ConsumeIntegralInRange(0, 2);
    std::vector<HostWord> laidOut(static_cast<size_t>(entries));
    for (int depth = entries - 1; depth >= 0; --depth) laidOut[size_t(entries - 1 - depth)] = generator.make(roleAt(form, depth));
    if (std::strcmp(form.name, "melt") == 0) boundMeltAttempts(memory, laidOut);

    const bool expectSuccess = wellFormed(memory, form, laidOut);
    const HostWord written = at(laidOut, form.writtenBitmapDepth);
    const HostWord writable = isPointersWithSlots(memory, written, 1) ? memory.slots(written)[0] : 0;
    fuzzhost::ObjectSnapshot before(memory, generator.made());

    vm->prepareCall(laidOut.front(), {});
    vm->stack() = laidOut;
    mardolin->primitive(form.name)();

    const fuzzhost::Expectation expected{form.name, form.argumentCount + 1, fuzzhost::Answer::Receiver, writable, false};
    const bool succeeded = fuzzhost::checkPromises(*vm, laidOut, before, expected);
    if (succeeded && !expectSuccess) fuzzhost::brokenPromise(form.name, "succeeded on operands it must refuse");
    if (!succeeded && expectSuccess) fuzzhost::brokenPromise(form.name, "failed on well-formed operands");
    return 0;
}
