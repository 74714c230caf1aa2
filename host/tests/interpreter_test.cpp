#include "interpreter.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace host {
namespace {

class InterpreterTest : public ::testing::Test {
protected:
    Interpreter vm;
    ObjectMemory &om = vm.memory();
    const HostInterface &t = *vm.table();
};

TEST_F(InterpreterTest, ArgumentsAreReadByDepthFromTheTop) {
    HostWord receiver = om.newPointers(0);
    HostWord number = om.newFloat(0.25);
    vm.prepareCall(receiver, {ObjectMemory::smallInteger(7), number});
    EXPECT_EQ(t.floatArgAt(0), 0.25);
    EXPECT_EQ(t.integerArgAt(1), 7);
    EXPECT_EQ(t.objectArgAt(2), receiver);
    EXPECT_EQ(t.valueAt(0), number);
    EXPECT_FALSE(t.hasFailed());
}

// Every read of the wrong kind sets the flag and answers zero.
TEST_F(InterpreterTest, ReadsOfTheWrongKindFailAndAnswerZero) {
    HostWord bitmap = om.newBitmapWithSlots(om.newWords(1), om.newFloat(1.0), ObjectMemory::smallInteger(1), 32);
    struct Case {
        const char *what;
        std::function<double()> read;
    };
    std::vector<Case> cases = {
        {"floatArgAt of an integer", [&] { return t.floatArgAt(0); }},
        {"integerArgAt of a float", [&] { return double(t.integerArgAt(1)); }},
        {"floatOf of a word object", [&] { return t.floatOf(om.newWords(2)); }},
        {"integerSlotOf of a float slot", [&] { return double(t.integerSlotOf(1, bitmap)); }},
        {"booleanOf of nil", [&] { return double(t.booleanOf(om.nil())); }},
        {"booleanOf of an integer", [&] { return double(t.booleanOf(ObjectMemory::smallInteger(1))); }},
    };
    for (const Case &c : cases) {
        vm.prepareCall(om.nil(), {om.newFloat(2.0), ObjectMemory::smallInteger(3)});
        EXPECT_EQ(c.read(), 0.0) << c.what;
        EXPECT_TRUE(t.hasFailed()) << c.what;
    }
}

TEST_F(InterpreterTest, ObjectQueries) {
    HostWord words = om.newWords(4);
    HostWord bitmap = om.newBitmapWithSlots(words, ObjectMemory::smallInteger(2), ObjectMemory::smallInteger(2),
                                   ObjectMemory::smallInteger(32));
    EXPECT_EQ(t.slotOf(0, bitmap), words);
    EXPECT_EQ(t.integerSlotOf(2, bitmap), 2);
    EXPECT_EQ(t.slotCountOf(words), 4);
    EXPECT_EQ(t.slotCountOf(bitmap), 4);
    EXPECT_TRUE(t.isWordObject(words));
    EXPECT_FALSE(t.isWordObject(bitmap));
    EXPECT_FALSE(t.isWordObject(ObjectMemory::smallInteger(3)));
    EXPECT_EQ(t.firstWordOf(words), static_cast<void *>(om.words(words)));
    EXPECT_EQ(t.booleanOf(om.trueObject()), 1);
    EXPECT_EQ(t.booleanOf(om.falseObject()), 0);
    EXPECT_EQ(t.floatOf(t.newFloat(-0.5)), -0.5);
    EXPECT_EQ(t.newSmallInteger(-3), ObjectMemory::smallInteger(-3));
    EXPECT_EQ(om.positiveIntegerValue(t.newPositiveInteger(0xC0000000u)), 0xC0000000u);
    EXPECT_FALSE(t.hasFailed());
}

TEST_F(InterpreterTest, StackEffectsAreRecorded) {
    HostWord receiver = om.newPointers(0);
    vm.prepareCall(receiver, {ObjectMemory::smallInteger(1), ObjectMemory::smallInteger(2)});
    t.popAndPush(3, ObjectMemory::smallInteger(9));
    EXPECT_EQ(vm.stack(), std::vector<HostWord>{ObjectMemory::smallInteger(9)});
    t.popStack(1);
    t.pushObject(receiver);
    std::vector<StackEffect> expected = {{StackEffect::PopAndPush, 3, ObjectMemory::smallInteger(9)},
                                         {StackEffect::PopStack, 1, 0},
                                         {StackEffect::PushObject, 0, receiver}};
    EXPECT_EQ(vm.stackEffects(), expected);
}

TEST_F(InterpreterTest, VersionAndFailureFlag) {
    vm.setVersion(1, 4);
    EXPECT_EQ(t.interfaceMajorVersion(), 1);
    EXPECT_EQ(t.interfaceMinorVersion(), 4);
    EXPECT_FALSE(t.hasFailed());
    t.fail();
    EXPECT_TRUE(t.hasFailed());
}

TEST_F(InterpreterTest, WindowVariableIsAnsweredOnlyWhenOfferedAndOnlyByItsName) {
    EXPECT_EQ(t.lookupHostSymbol("stWindow", ""), nullptr);
    vm.offerWindow(0x4200042);
    auto *variable = static_cast<HostWord *>(t.lookupHostSymbol("stWindow", ""));
    ASSERT_NE(variable, nullptr);
    EXPECT_EQ(*variable, 0x4200042);
    EXPECT_EQ(t.lookupHostSymbol("stWindow", "Other"), nullptr);
    EXPECT_EQ(t.lookupHostSymbol("stDisplay", ""), nullptr);
    vm.withdrawWindow();
    EXPECT_EQ(t.lookupHostSymbol("stWindow", ""), nullptr);
}

TEST_F(InterpreterTest, SemaphoresCanBeSignalledFromAnyThread) {
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([this] {
            for (int n = 0; n < 100; ++n) t.signalSemaphore(3);
        });
    EXPECT_TRUE(vm.waitForSignals(3, 400, std::chrono::seconds(10)));
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(vm.signalCount(3), 400u);
    EXPECT_EQ(vm.signalCount(4), 0u);
    EXPECT_FALSE(vm.waitForSignals(4, 1, std::chrono::milliseconds(10)));
}

} // namespace
} // namespace host
