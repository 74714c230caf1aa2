#include "host_object_generator.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace fuzzhost {

namespace {

using host::ObjectMemory;

// Word arrays stay small enough for thousands of calls a second.
constexpr size_t kLargestWordCount = size_t(1) << 17;

const int64_t kIntegerEdges[] = {
    0, 1, -1, 2, 3, 7, 8, 15, 16, 17, 24, 31, 32, 33, 60, 88, 120, 180, 240, 255, 256, 320, 360, 480, 720,
    0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x10001, 46340, 46341, 0x7FFFFFFF, int64_t(0x80000000), int64_t(0xFFFFFFFF),
    int64_t(0x100000000), int64_t(0x100000001), -0x7FFFFFFF, -int64_t(0x80000000), -int64_t(0x80000001),
    -0xFFFF, -0x10000, int64_t(1) << 62, -(int64_t(1) << 62), (int64_t(1) << 62) - 1, (int64_t(1) << 30) - 1,
    -(int64_t(1) << 30)};

const double kFloatEdges[] = {0.0, -0.0, 0.5, -0.5, 1.0, -1.0, 1.4, 2.0, 3.9, -0.9, 9.0, 25.0, 255.0, 256.0, 1e-6,
                              65535.0, 65536.0, 2147483647.0, 2147483647.5, 2147483648.0, -2147483648.0,
                              -2147483648.5, -2147483649.0, 4294967296.0, 9.2233720368547758e18,
                              -9.2233720368547758e18, 1e300, -1e300, 5e-324,
                              std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};

const int64_t kDepths[] = {32, 16, 15, 24, 8, 0, -1, 17, 31, 33, 64, int64_t(0x80000020)};

template <typename T, size_t N> T pick(FuzzedDataProvider &input, const T (&table)[N]) {
    return table[input.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

} // namespace

ObjectGenerator::ObjectGenerator(FuzzedDataProvider &input, host::ObjectMemory &memory, int32_t frameWidth,
                                 int32_t frameHeight)
    : input_(input), memory_(memory), shape_(chooseShape(frameWidth, frameHeight)) {}

ObjectGenerator::Shape ObjectGenerator::chooseShape(int32_t frameWidth, int32_t frameHeight) {
    Shape shape{};
    switch (input_.ConsumeIntegralInRange(0, 3)) {
    case 0: // a frame's size, or one more or less in either side
        shape.width = int64_t(frameWidth) + input_.ConsumeIntegralInRange(-1, 1);
        shape.height = int64_t(frameHeight) + input_.ConsumeIntegralInRange(-1, 1);
        break;
    case 1: // sizes at the edges, which mostly answer a count of their own
        shape.width = pick(input_, kIntegerEdges);
        shape.height = pick(input_, kIntegerEdges);
        break;
    case 2: // a width and height whose 32-bit product wraps to a small count
    {
        const int bits = input_.ConsumeIntegralInRange(1, 16);
        shape.width = HostWord(1) << bits;
        shape.height = (int64_t(1) << (32 - bits)) + input_.ConsumeIntegralInRange(0, 5);
        break;
    }
    default:
        shape.width = input_.ConsumeIntegralInRange(0, 24);
        shape.height = input_.ConsumeIntegralInRange(0, 24);
        break;
    }
    if (!ObjectMemory::fitsSmallInteger(shape.width)) shape.width = 3;
    if (!ObjectMemory::fitsSmallInteger(shape.height)) shape.height = 3;
    // Depth 32 takes a word a pixel, depth 16 a word for two; the product
    // kept to 32 bits, as a plug-in that wraps would compute it.
    const uint64_t columns = input_.ConsumeBool() ? uint64_t(shape.width) : (uint64_t(shape.width) + 1) / 2;
    uint64_t count = uint32_t(columns * uint64_t(shape.height));
    if (count > kLargestWordCount) count = input_.ConsumeIntegralInRange<size_t>(0, 64);
    shape.wordCount = size_t(count);
    return shape;
}

HostWord ObjectGenerator::remember(HostWord object) {
    made_.push_back(object);
    return object;
}

HostWord ObjectGenerator::smallIntegerOf(int64_t value) {
    return ObjectMemory::fitsSmallInteger(value) ? ObjectMemory::smallInteger(HostWord(value))
                                                 : ObjectMemory::smallInteger(HostWord(int32_t(value) >> 2));
}

HostWord ObjectGenerator::smallInteger() {
    if (input_.ConsumeBool()) return smallIntegerOf(pick(input_, kIntegerEdges));
    return smallIntegerOf(input_.ConsumeIntegral<int32_t>());
}

double ObjectGenerator::number() {
    switch (input_.ConsumeIntegralInRange(0, 2)) {
    case 0:
        return pick(input_, kFloatEdges);
    case 1: { // any 64 bits, NaN payloads and denormals among them
        const uint64_t bits = input_.ConsumeIntegral<uint64_t>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    default:
        return input_.ConsumeFloatingPointInRange(-4.0, 4.0);
    }
}

// A width or height slot: the value as a SmallInteger or as a float, which
// the filters accept too.
HostWord ObjectGenerator::dimension(HostWord value) {
    switch (input_.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return remember(memory_.newFloat(double(value) + (input_.ConsumeBool() ? 0.5 : -0.5)));
    case 1:
        return remember(memory_.newFloat(double(value)));
    case 2:
        return make(Role::Any);
    default:
        return ObjectMemory::smallInteger(value);
    }
}

HostWord ObjectGenerator::wordArray(size_t count) {
    const uint32_t fill = input_.ConsumeIntegral<uint32_t>();
    HostWord object = input_.ConsumeBool() ? memory_.newWordsBeforeGuardPage(count, fill) : memory_.newWords(count, fill);
    // A few words of their own, so that pixels differ.
    uint32_t *words = memory_.words(object);
    const size_t own = std::min<size_t>(count, input_.ConsumeIntegralInRange<size_t>(0, 16));
    for (size_t i = 0; i < own; ++i) words[i * (count / own)] = input_.ConsumeIntegral<uint32_t>();
    return remember(object);
}

HostWord ObjectGenerator::pixelArray() {
    switch (input_.ConsumeIntegralInRange(0, 9)) {
    case 0:
        if (!pixelArrays_.empty()) return pixelArrays_[input_.ConsumeIntegralInRange<size_t>(0, pixelArrays_.size() - 1)];
        break;
    case 1:
        return make(Role::Any);
    case 2:
        pixelArrays_.push_back(wordArray(shape_.wordCount + 1));
        return pixelArrays_.back();
    case 3:
        if (shape_.wordCount > 0) {
            pixelArrays_.push_back(wordArray(shape_.wordCount - 1));
            return pixelArrays_.back();
        }
        break;
    default:
        break;
    }
    pixelArrays_.push_back(wordArray(shape_.wordCount));
    return pixelArrays_.back();
}

HostWord ObjectGenerator::bitmap() {
    size_t slots = 4;
    if (input_.ConsumeIntegralInRange(0, 15) == 15) slots = input_.ConsumeIntegralInRange<size_t>(0, 6);
    HostWord object = remember(memory_.newPointers(slots));
    HostWord *body = memory_.slots(object);
    const HostWord values[] = {pixelArray(), dimension(shape_.width), dimension(shape_.height),
                               smallIntegerOf(pick(input_, kDepths))};
    for (size_t i = 0; i < slots && i < 4; ++i) body[i] = values[i];
    return object;
}

HostWord ObjectGenerator::kernel(size_t words) {
    static const size_t kOtherSizes[] = {0, 1, 8, 9, 10, 24, 25, 26};
    if (input_.ConsumeIntegralInRange(0, 7) == 7) words = pick(input_, kOtherSizes);
    HostWord object = remember(input_.ConsumeBool() ? memory_.newWordsBeforeGuardPage(words) : memory_.newWords(words));
    uint32_t *body = memory_.words(object);
    for (size_t i = 0; i < words; ++i) {
        const float weight = static_cast<float>(number());
        std::memcpy(&body[i], &weight, sizeof weight);
    }
    return object;
}

HostWord ObjectGenerator::make(Role role) {
    // One entry in eight is of any kind, whatever its role.
    if (role != Role::Any && input_.ConsumeIntegralInRange(0, 7) == 7) role = Role::Any;
    switch (role) {
    case Role::Float:
        return remember(memory_.newFloat(number()));
    case Role::Integer:
        return smallInteger();
    case Role::Boolean:
        return input_.ConsumeBool() ? memory_.trueObject() : memory_.falseObject();
    case Role::Bitmap:
        return bitmap();
    case Role::Kernel3:
        return kernel(9);
    case Role::Kernel5:
        return kernel(25);
    case Role::Any:
        break;
    }
    switch (input_.ConsumeIntegralInRange(0, 10)) {
    case 0:
        return smallInteger();
    case 1:
        return remember(memory_.newFloat(number()));
    case 2:
        return wordArray(input_.ConsumeIntegralInRange<size_t>(0, 32));
    case 3:
        return remember(memory_.newPointers(input_.ConsumeIntegralInRange<size_t>(0, 5)));
    case 4:
        return bitmap();
    case 5:
        return memory_.nil();
    case 6:
        return memory_.trueObject();
    case 7:
        return memory_.falseObject();
    case 8:
        return remember(memory_.newPositiveInteger(input_.ConsumeIntegralInRange<uint32_t>(0x80000000u, 0xFFFFFFFFu)));
    case 9:
        if (!made_.empty()) return made_[input_.ConsumeIntegralInRange<size_t>(0, made_.size() - 1)];
        return memory_.nil();
    default:
        return kernel(input_.ConsumeBool() ? 9 : 25);
    }
}

} // namespace fuzzhost
