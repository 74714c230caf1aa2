#include "object_memory.h"

#include <gtest/gtest.h>

#include <limits>

namespace host {
namespace {

TEST(ObjectMemory, SmallIntegersRoundTripWithTheirSign) {
    for (HostWord value : {HostWord(0), HostWord(1), HostWord(-1), HostWord(1073741823), HostWord(-1073741824)}) {
        HostWord object = ObjectMemory::smallInteger(value);
        EXPECT_TRUE(ObjectMemory::isSmallInteger(object));
        EXPECT_EQ(ObjectMemory::smallIntegerValue(object), value);
    }
}

TEST(ObjectMemory, ObjectsAreEvenAndKnowTheirKindAndSize) {
    ObjectMemory memory;
    HostWord words = memory.newWords(5, 0xABCDEF01u);
    HostWord pointers = memory.newPointers(3);
    HostWord number = memory.newFloat(-2.5);
    for (HostWord object : {words, pointers, number}) {
        EXPECT_FALSE(ObjectMemory::isSmallInteger(object));
        EXPECT_TRUE(memory.isObject(object));
    }
    EXPECT_EQ(memory.kindOf(words), ObjectKind::Words);
    EXPECT_EQ(memory.slotCount(words), 5u);
    EXPECT_EQ(memory.words(words)[4], 0xABCDEF01u);
    EXPECT_EQ(reinterpret_cast<char *>(memory.words(words)), reinterpret_cast<char *>(words) + sizeof(HostWord));
    EXPECT_EQ(memory.kindOf(pointers), ObjectKind::Pointers);
    EXPECT_EQ(memory.slots(pointers)[2], memory.nil());
    EXPECT_EQ(memory.floatValue(number), -2.5);
    EXPECT_FALSE(memory.isObject(ObjectMemory::smallInteger(4)));
}

TEST(ObjectMemory, PositiveIntegersBeyondSmallIntegerRangeAreBoxed) {
    ObjectMemory memory;
    EXPECT_EQ(memory.newPositiveInteger(47186400u), ObjectMemory::smallInteger(47186400));
    HostWord large = memory.newPositiveInteger(0xFFFFFFFFu);
    EXPECT_EQ(memory.positiveIntegerValue(large), 0xFFFFFFFFu);
}

TEST(ObjectMemory, BitmapsHoldPixelsAndDimensions) {
    ObjectMemory memory;
    HostWord bitmap = memory.newBitmap(3, 2, 32, 7u);
    HostWord pixels = memory.slots(bitmap)[0];
    EXPECT_EQ(memory.slotCount(pixels), 6u);
    EXPECT_EQ(memory.slots(bitmap)[1], ObjectMemory::smallInteger(3));
    EXPECT_EQ(memory.slots(bitmap)[3], ObjectMemory::smallInteger(32));
    EXPECT_EQ(memory.slotCount(memory.slots(memory.newBitmap(3, 2, 16))[0]), 4u);
}

TEST(ObjectMemory, ClearKeepsTheSpecialObjects) {
    ObjectMemory memory;
    HostWord words = memory.newWords(1);
    memory.clear();
    EXPECT_FALSE(memory.isObject(words));
    EXPECT_TRUE(memory.isObject(memory.trueObject()));
    EXPECT_TRUE(memory.isObject(memory.nil()));
}

// The word right after a guarded object's last one lies on a page that
// faults when read, for odd and even counts alike; clear gives the pages back.
TEST(ObjectMemoryDeathTest, GuardedWordsEndAgainstAPageThatFaults) {
    for (size_t count : {size_t(0), size_t(1), size_t(6), size_t(1025)}) {
        SCOPED_TRACE(count);
        ObjectMemory memory;
        HostWord words = memory.newWordsBeforeGuardPage(count, 0x5Au);
        EXPECT_TRUE(memory.isObject(words));
        EXPECT_EQ(memory.kindOf(words), ObjectKind::Words);
        EXPECT_EQ(memory.slotCount(words), count);
        const uint32_t *body = memory.words(words);
        for (size_t i = 0; i < count; ++i) EXPECT_EQ(body[i], 0x5Au);
#if !defined(_WIN32) // Wine's death tests are too slow to be worth it
        const volatile uint32_t *pastTheEnd = body + count;
        EXPECT_DEATH((void)*pastTheEnd, "");
#endif
        memory.clear();
        EXPECT_FALSE(memory.isObject(words));
    }
}

} // namespace
} // namespace host
