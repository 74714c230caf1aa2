// The host allocates every object to its exact size, so a primitive that
// reads or writes one word past a pixel array or a kernel runs into the end
// of the block; the AddressSanitizer build reports it. These calls put every
// primitive on the shapes where an off-by-one shows: single pixels, single
// rows and columns, and odd sizes.
#include "mardolin_test.h"
#include "primitive_forms.h"

namespace mardolin_test {
namespace {

class AllocationBounds : public MardolinTest, public ::testing::WithParamInterface<PrimitiveForm> {};

TEST_P(AllocationBounds, PrimitivesStayInsideExactlySizedArrays) {
    const PrimitiveForm &form = GetParam();
    const std::pair<int, int> shapes[] = {{1, 1}, {1, 2}, {2, 1}, {1, 7}, {7, 1}, {2, 2}, {5, 3}, {3, 5}, {9, 7}};
    for (const auto &shape : shapes) {
        std::vector<HostWord> arguments;
        for (int b = 0; b < form.bitmapCount; ++b) {
            std::vector<uint32_t> pixels(size_t(shape.first) * size_t(shape.second));
            for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x01F0E0D0u + 0x00030507u * uint32_t(i);
            arguments.push_back(bitmap(shape.first, shape.second, pixels));
        }
        if (form.kernelWords > 0) arguments.push_back(kernel(std::vector<float>(size_t(form.kernelWords), 0.5f)));
        for (double value : form.floats) arguments.push_back(number(value * 4));
        call(form.name, arguments);
        EXPECT_TRUE(answeredReceiver()) << shape.first << "x" << shape.second;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPrimitive, AllocationBounds, ::testing::ValuesIn(primitiveForms()),
                         [](const ::testing::TestParamInfo<PrimitiveForm> &info) { return formName(info.param); });

} // namespace
} // namespace mardolin_test
