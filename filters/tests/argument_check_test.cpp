// The argument checks shared by all eight primitives: what passes, what
// fails, and that a failure writes nothing and pushes nothing.
#include "mardolin_test.h"
#include "primitive_forms.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace mardolin_test {
namespace {

class ArgumentCheck : public MardolinTest, public ::testing::WithParamInterface<PrimitiveForm> {
  protected:
    struct Operands {
        std::vector<HostWord> bitmaps;
        HostWord kernel = 0;
        std::vector<HostWord> floats;
    };
    struct Case {
        std::string what;
        std::function<void(Operands &)> change;
    };

    Operands validOperands(int width, int height) {
        const PrimitiveForm &form = GetParam();
        Operands operands;
        for (int b = 0; b < form.bitmapCount; ++b) {
            std::vector<uint32_t> pixels(size_t(width) * size_t(height));
            for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x9E3779B9u * uint32_t(i + 7 * b + 1);
            operands.bitmaps.push_back(bitmap(width, height, pixels));
        }
        if (form.kernelWords > 0) operands.kernel = kernel(std::vector<float>(size_t(form.kernelWords), 0.25f));
        for (double value : form.floats) operands.floats.push_back(number(value));
        return operands;
    }

    static std::vector<HostWord> argumentsOf(const Operands &operands) {
        std::vector<HostWord> arguments = operands.bitmaps;
        if (operands.kernel != 0) arguments.push_back(operands.kernel);
        arguments.insert(arguments.end(), operands.floats.begin(), operands.floats.end());
        return arguments;
    }

    // Every slot and word the operands reach, to tell that nothing changed.
    std::vector<std::vector<int64_t>> snapshotOf(const Operands &operands) const {
        std::vector<std::vector<int64_t>> snapshot;
        auto take = [&](HostWord object) {
            if (!om.isObject(object)) return;
            if (om.kindOf(object) == host::ObjectKind::Words) {
                std::vector<uint32_t> words = wordsOf(object);
                snapshot.emplace_back(words.begin(), words.end());
            } else if (om.kindOf(object) == host::ObjectKind::Pointers) {
                const HostWord *slots = om.slots(object);
                snapshot.emplace_back(slots, slots + om.slotCount(object));
            }
        };
        for (HostWord bitmap : operands.bitmaps) {
            take(bitmap);
            if (om.isObject(bitmap) && om.kindOf(bitmap) == host::ObjectKind::Pointers && om.slotCount(bitmap) > 0)
                take(om.slots(bitmap)[0]);
        }
        take(operands.kernel);
        return snapshot;
    }

    void run(const Operands &operands) { call(GetParam().name, argumentsOf(operands)); }

    void setSlot(HostWord bitmap, int index, HostWord value) { om.slots(bitmap)[index] = value; }
    void setPixelArrays(Operands &operands, size_t words) {
        for (HostWord bitmap : operands.bitmaps) setSlot(bitmap, 0, om.newWords(words));
    }

    void expectFailsCleanly(const std::vector<Case> &cases) {
        for (const Case &c : cases) {
            Operands operands = validOperands(3, 2);
            c.change(operands);
            const auto before = snapshotOf(operands);
            run(operands);
            EXPECT_TRUE(failedCleanly()) << c.what;
            EXPECT_EQ(snapshotOf(operands), before) << c.what;
        }
    }
};

TEST_P(ArgumentCheck, ValidOperandsAnswerTheReceiver) {
    run(validOperands(3, 2));
    EXPECT_TRUE(answeredReceiver());
}

TEST_P(ArgumentCheck, EmptyBitmapsPassAndChangeNothing) {
    for (auto shape : {std::make_pair(0, 5), std::make_pair(4, 0), std::make_pair(0, 0)}) {
        Operands operands = validOperands(shape.first, shape.second);
        run(operands);
        EXPECT_TRUE(answeredReceiver()) << shape.first << "x" << shape.second;
    }
}

TEST_P(ArgumentCheck, BadPixelArraysFailWithNothingWritten) {
    std::vector<Case> cases;
    for (int b = 0; b < GetParam().bitmapCount; ++b) {
        const std::string which = "bitmap " + std::to_string(b) + ": ";
        cases.push_back(
            {which + "pixel array an immediate", [=](Operands &o) { setSlot(o.bitmaps[b], 0, integer(6)); }});
        cases.push_back({which + "pixel array a pointer object",
                         [=](Operands &o) { setSlot(o.bitmaps[b], 0, om.newPointers(6)); }});
        cases.push_back({which + "pixel array a Float", [=](Operands &o) { setSlot(o.bitmaps[b], 0, number(6)); }});
        cases.push_back({which + "one word too many", [=](Operands &o) { setSlot(o.bitmaps[b], 0, om.newWords(7)); }});
        cases.push_back({which + "one word too few", [=](Operands &o) { setSlot(o.bitmaps[b], 0, om.newWords(5)); }});
        cases.push_back(
            {which + "an immediate in place of the bitmap", [=](Operands &o) { o.bitmaps[b] = integer(3); }});
    }
    expectFailsCleanly(cases);
}

// A read that sets the failure flag stops the primitive before it writes.
TEST_P(ArgumentCheck, FloatOperandsThatAreNoFloatsFailWithNothingWritten) {
    std::vector<Case> cases;
    for (size_t f = 0; f < GetParam().floats.size(); ++f) {
        const std::string which = "float " + std::to_string(f) + ": ";
        cases.push_back({which + "a SmallInteger", [=](Operands &o) { o.floats[f] = integer(1); }});
        cases.push_back({which + "nil", [=](Operands &o) { o.floats[f] = om.nil(); }});
    }
    expectFailsCleanly(cases);
}

TEST_P(ArgumentCheck, UnusableDimensionsFailWithNothingWritten) {
    std::vector<Case> cases = {
        {"width 2147483648.0", [=](Operands &o) { setSlot(o.bitmaps[0], 1, number(2147483648.0)); }},
        {"height -2147483649.0", [=](Operands &o) { setSlot(o.bitmaps[0], 2, number(-2147483649.0)); }},
        // The dimension answers 0 after calling fail, so empty arrays would
        // pass the word count.
        {"width 2147483648.0 over empty arrays",
         [=](Operands &o) {
             setSlot(o.bitmaps[0], 1, number(2147483648.0));
             setPixelArrays(o, 0);
         }},
        {"width nil", [=](Operands &o) { setSlot(o.bitmaps[0], 1, om.nil()); }},
        {"height a word object", [=](Operands &o) { setSlot(o.bitmaps[0], 2, om.newWords(2)); }},
        {"width -3 and height -2, six words",
         [=](Operands &o) {
             setSlot(o.bitmaps[0], 1, integer(-3));
             setSlot(o.bitmaps[0], 2, integer(-2));
         }},
        {"width -2147483648.0 over empty arrays",
         [=](Operands &o) {
             setSlot(o.bitmaps[0], 1, number(-2147483648.0));
             setSlot(o.bitmaps[0], 2, integer(0));
             setPixelArrays(o, 0);
         }},
        // 65536 x 65536 wraps to 0 in 32 bits.
        {"an area of 2^32 over empty arrays",
         [=](Operands &o) {
             setSlot(o.bitmaps[0], 1, integer(65536));
             setSlot(o.bitmaps[0], 2, integer(65536));
             setPixelArrays(o, 0);
         }},
    };
    // A 64-bit host's immediates reach beyond 32 bits: 2^32 + 3 keeps 3 in
    // its low 32 bits, and 3 x 2 would match the arrays.
    if (sizeof(HostWord) > 4) {
        const auto beyond = static_cast<HostWord>((int64_t(1) << 32) + 3);
        cases.push_back({"width 2^32 + 3", [=](Operands &o) { setSlot(o.bitmaps[0], 1, integer(beyond)); }});
    }
    expectFailsCleanly(cases);
}

// Widths and heights may be Floats; they count truncated toward zero.
TEST_P(ArgumentCheck, FloatDimensionsCountTruncated) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double width;
        int height;
        size_t words;
    };
    const Case cases[] = {{3.9, 2, 6}, {-0.9, 2, 0}, {nan, 2, 0}, {2147483647.0, 0, 0}, {1.0, 2, 2}};
    for (const Case &c : cases) {
        Operands operands = validOperands(3, 2);
        setSlot(operands.bitmaps[0], 1, number(c.width));
        setSlot(operands.bitmaps[0], 2, integer(c.height));
        setPixelArrays(operands, c.words);
        run(operands);
        EXPECT_TRUE(answeredReceiver()) << "width " << c.width << ", height " << c.height;
    }
    Operands operands = validOperands(2, 3);
    setSlot(operands.bitmaps[0], 2, number(3.999));
    run(operands);
    EXPECT_TRUE(answeredReceiver()) << "height 3.999";
}

// The other bitmaps' own width and height are never read: only their word
// count must match the first bitmap's area.
class SecondaryBitmaps : public ArgumentCheck {};

TEST_P(SecondaryBitmaps, OnlyTheFirstBitmapGivesTheShape) {
    Operands operands = validOperands(3, 2);
    for (size_t b = 1; b < operands.bitmaps.size(); ++b) {
        setSlot(operands.bitmaps[b], 1, integer(6));
        setSlot(operands.bitmaps[b], 2, om.nil());
    }
    run(operands);
    EXPECT_TRUE(answeredReceiver());
}

std::vector<PrimitiveForm> formsWithSeveralBitmaps() {
    std::vector<PrimitiveForm> forms;
    for (const PrimitiveForm &form : primitiveForms())
        if (form.bitmapCount > 1) forms.push_back(form);
    return forms;
}

INSTANTIATE_TEST_SUITE_P(EveryPrimitive, ArgumentCheck, ::testing::ValuesIn(primitiveForms()),
                         [](const ::testing::TestParamInfo<PrimitiveForm> &info) { return formName(info.param); });
INSTANTIATE_TEST_SUITE_P(SeveralBitmaps, SecondaryBitmaps, ::testing::ValuesIn(formsWithSeveralBitmaps()),
                         [](const ::testing::TestParamInfo<PrimitiveForm> &info) { return formName(info.param); });

} // namespace
} // namespace mardolin_test
