// The order of the calls a primitive makes into the host is fixed, since an
// independent host may log or depend on it. A logging table between the
// plug-in and the project's host records them.
#include "mardolin_test.h"

#include <map>
#include <string>

namespace mardolin_test {
namespace {

const HostInterface *realTable = nullptr;
std::vector<std::string> hostCalls;
std::map<HostWord, std::string> objectNames;

std::string nameOf(HostWord object) {
    auto found = objectNames.find(object);
    return found != objectNames.end() ? found->second : "object";
}

void record(const std::string &call) { hostCalls.push_back(call); }
std::string withDepth(const char *entry, HostWord depth) {
    return std::string(entry) + "(" + std::to_string(depth) + ")";
}
std::string withObject(const char *entry, HostWord object) { return std::string(entry) + "(" + nameOf(object) + ")"; }

struct LoggingEntries {
    static HostWord HOST_CALL popAndPush(HostWord count, HostWord object) {
        record("popAndPush(" + std::to_string(count) + ", " + nameOf(object) + ")");
        return realTable->popAndPush(count, object);
    }
    static double HOST_CALL floatArgAt(HostWord depth) {
        record(withDepth("floatArgAt", depth));
        return realTable->floatArgAt(depth);
    }
    static HostWord HOST_CALL objectArgAt(HostWord depth) {
        record(withDepth("objectArgAt", depth));
        return realTable->objectArgAt(depth);
    }
    static HostWord HOST_CALL slotOf(HostWord index, HostWord object) {
        record("slotOf(" + std::to_string(index) + ", " + nameOf(object) + ")");
        return realTable->slotOf(index, object);
    }
    static void *HOST_CALL firstWordOf(HostWord object) {
        record(withObject("firstWordOf", object));
        return realTable->firstWordOf(object);
    }
    static HostWord HOST_CALL slotCountOf(HostWord object) {
        record(withObject("slotCountOf", object));
        return realTable->slotCountOf(object);
    }
    static HostWord HOST_CALL isWordObject(HostWord object) {
        record(withObject("isWordObject", object));
        return realTable->isWordObject(object);
    }
    static double HOST_CALL floatOf(HostWord object) {
        record(withObject("floatOf", object));
        return realTable->floatOf(object);
    }
    static HostWord HOST_CALL hasFailed() {
        record("hasFailed()");
        return realTable->hasFailed();
    }
    static HostWord HOST_CALL fail() {
        record("fail()");
        return realTable->fail();
    }
};

class HostReadOrder : public MardolinTest {
  protected:
    void SetUp() override {
        MardolinTest::SetUp();
        realTable = vm.table();
        logging = *vm.table();
        logging.popAndPush = LoggingEntries::popAndPush;
        logging.floatArgAt = LoggingEntries::floatArgAt;
        logging.objectArgAt = LoggingEntries::objectArgAt;
        logging.slotOf = LoggingEntries::slotOf;
        logging.firstWordOf = LoggingEntries::firstWordOf;
        logging.slotCountOf = LoggingEntries::slotCountOf;
        logging.isWordObject = LoggingEntries::isWordObject;
        logging.floatOf = LoggingEntries::floatOf;
        logging.hasFailed = LoggingEntries::hasFailed;
        logging.fail = LoggingEntries::fail;
        ASSERT_EQ(plugin->bind(&logging), 1);
        objectNames = {{receiver, "receiver"}};
    }
    void TearDown() override {
        objectNames.clear();
        hostCalls.clear();
    }

    // A bitmap whose width is a Float, so that its reading shows too.
    HostWord namedBitmap(const std::string &name, int width, int height) {
        HostWord pixels = om.newWords(size_t(width) * size_t(height), 0xFF336699u);
        HostWord object = om.newBitmapWithSlots(pixels, number(width), integer(height), integer(32));
        objectNames[object] = name;
        objectNames[pixels] = name + ".pixels";
        return object;
    }
    void callLogged(const char *primitive, const std::vector<HostWord> &arguments) {
        hostCalls.clear();
        call(primitive, arguments);
    }

    HostInterface logging{};
};

TEST_F(HostReadOrder, BackgroundSubtractionTakesEveryPixelArrayBeforeCheckingAny) {
    HostWord frame = namedBitmap("frame", 2, 2), background = namedBitmap("background", 2, 2),
             output = namedBitmap("output", 2, 2);
    callLogged("backgroundSubstraction", {frame, background, output, number(0.5)});
    const std::vector<std::string> expected = {"floatArgAt(0)",
                                               "objectArgAt(1)",
                                               "objectArgAt(2)",
                                               "objectArgAt(3)",
                                               "objectArgAt(4)",
                                               "slotOf(0, frame)",
                                               "slotOf(0, background)",
                                               "slotOf(0, output)",
                                               "isWordObject(frame.pixels)",
                                               "isWordObject(background.pixels)",
                                               "isWordObject(output.pixels)",
                                               "slotOf(1, frame)",
                                               "floatOf(object)",
                                               "slotOf(2, frame)",
                                               "hasFailed()",
                                               "slotCountOf(frame.pixels)",
                                               "slotCountOf(background.pixels)",
                                               "slotCountOf(output.pixels)",
                                               "firstWordOf(frame.pixels)",
                                               "firstWordOf(background.pixels)",
                                               "firstWordOf(output.pixels)",
                                               "popAndPush(5, receiver)"};
    EXPECT_EQ(hostCalls, expected);
}

TEST_F(HostReadOrder, ConvolutionSettlesTheKernelFirstAndChecksEachPixelArrayInTurn) {
    HostWord source = namedBitmap("source", 2, 2), destination = namedBitmap("destination", 2, 2);
    HostWord weights = kernel(std::vector<float>(9, 1.0f));
    objectNames[weights] = "kernel";
    callLogged("matrix3X3Multiplication", {source, destination, weights, number(9.0), number(0.0)});
    const std::vector<std::string> expected = {"objectArgAt(2)",
                                               "hasFailed()",
                                               "isWordObject(kernel)",
                                               "slotCountOf(kernel)",
                                               "firstWordOf(kernel)",
                                               "floatArgAt(1)",
                                               "floatArgAt(0)",
                                               "objectArgAt(3)",
                                               "objectArgAt(4)",
                                               "objectArgAt(5)",
                                               "slotOf(0, source)",
                                               "isWordObject(source.pixels)",
                                               "slotOf(0, destination)",
                                               "isWordObject(destination.pixels)",
                                               "slotOf(1, source)",
                                               "floatOf(object)",
                                               "slotOf(2, source)",
                                               "hasFailed()",
                                               "slotCountOf(source.pixels)",
                                               "slotCountOf(destination.pixels)",
                                               "firstWordOf(source.pixels)",
                                               "firstWordOf(destination.pixels)",
                                               "popAndPush(6, receiver)"};
    EXPECT_EQ(hostCalls, expected);
}

TEST_F(HostReadOrder, AWrongKernelIsRefusedBeforeAnyOtherRead) {
    HostWord source = namedBitmap("source", 2, 2), destination = namedBitmap("destination", 2, 2);
    HostWord weights = kernel(std::vector<float>(25, 1.0f));
    objectNames[weights] = "kernel";
    callLogged("matrix3X3Multiplication", {source, destination, weights, number(9.0), number(0.0)});
    const std::vector<std::string> expected = {"objectArgAt(2)", "hasFailed()", "isWordObject(kernel)",
                                               "slotCountOf(kernel)", "fail()"};
    EXPECT_EQ(hostCalls, expected);
}

TEST_F(HostReadOrder, MeltReadsItsAmountFirst) {
    HostWord picture = namedBitmap("bitmap", 1, 2);
    callLogged("melt", {picture, number(0.0)});
    const std::vector<std::string> expected = {"floatArgAt(0)",
                                               "objectArgAt(1)",
                                               "objectArgAt(2)",
                                               "slotOf(0, bitmap)",
                                               "isWordObject(bitmap.pixels)",
                                               "slotOf(1, bitmap)",
                                               "floatOf(object)",
                                               "slotOf(2, bitmap)",
                                               "hasFailed()",
                                               "slotCountOf(bitmap.pixels)",
                                               "firstWordOf(bitmap.pixels)",
                                               "popAndPush(3, receiver)"};
    EXPECT_EQ(hostCalls, expected);
}

TEST_F(HostReadOrder, PerChannelLevelsAreReadFromTheTopDown) {
    HostWord picture = namedBitmap("bitmap", 1, 1);
    std::vector<HostWord> arguments = {picture};
    for (int i = 0; i < 6; ++i) arguments.push_back(number(0.0));
    callLogged("adjustRBGBrightnessAndContrast", arguments);
    const std::vector<std::string> expected = {"floatArgAt(0)",
                                               "floatArgAt(1)",
                                               "floatArgAt(2)",
                                               "floatArgAt(3)",
                                               "floatArgAt(4)",
                                               "floatArgAt(5)",
                                               "objectArgAt(6)",
                                               "objectArgAt(7)",
                                               "slotOf(0, bitmap)",
                                               "isWordObject(bitmap.pixels)",
                                               "slotOf(1, bitmap)",
                                               "floatOf(object)",
                                               "slotOf(2, bitmap)",
                                               "hasFailed()",
                                               "slotCountOf(bitmap.pixels)",
                                               "firstWordOf(bitmap.pixels)",
                                               "popAndPush(8, receiver)"};
    EXPECT_EQ(hostCalls, expected);
}

// A dimension beyond 32 bits calls fail itself; the flag then stops the
// primitive without a second fail and before any word count is asked.
TEST_F(HostReadOrder, AnOutOfRangeDimensionFailsOnce) {
    HostWord picture = namedBitmap("bitmap", 1, 2);
    om.slots(picture)[1] = number(4294967296.0);
    callLogged("oldBWTV", {picture});
    const std::vector<std::string> expected = {"objectArgAt(0)",
                                               "objectArgAt(1)",
                                               "slotOf(0, bitmap)",
                                               "isWordObject(bitmap.pixels)",
                                               "slotOf(1, bitmap)",
                                               "floatOf(object)",
                                               "fail()",
                                               "slotOf(2, bitmap)",
                                               "hasFailed()"};
    EXPECT_EQ(hostCalls, expected);
    EXPECT_TRUE(failedCleanly());
}

} // namespace
} // namespace mardolin_test
