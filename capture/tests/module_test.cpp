// The module entry points and what a freshly loaded library reports.
#include "capture_fixture.h"

namespace capturetest {
namespace {

using host::StackEffect;

TEST_F(CaptureTest, NamesItself) { EXPECT_STREQ(plugin->moduleName(), "Pelquist 14 August 2002 (e)"); }

// A table whose version entries a test sets, counting the questions asked.
struct VersionedTable {
    static HostWord major, minor;
    static int minorAsked, integersMade;
    static HostWord HOST_CALL majorVersion() { return major; }
    static HostWord HOST_CALL minorVersion() {
        ++minorAsked;
        return minor;
    }
    static HostWord HOST_CALL newSmallInteger(HostWord value) {
        ++integersMade;
        return host::ObjectMemory::smallInteger(value);
    }
};
HostWord VersionedTable::major, VersionedTable::minor;
int VersionedTable::minorAsked, VersionedTable::integersMade;

TEST_F(CaptureTest, AcceptsInterfaceVersionOneFourAndLater) {
    struct Case {
        HostWord major, minor, accepted;
        bool minorAsked;
    };
    const Case cases[] = {{1, 3, 0, true}, {1, 4, 1, true}, {1, 5, 1, true}, {1, 0, 0, true},
                          {2, 9, 0, false}, {0, 9, 0, false}};
    HostInterface table = *vm.table();
    table.interfaceMajorVersion = VersionedTable::majorVersion;
    table.interfaceMinorVersion = VersionedTable::minorVersion;
    table.newSmallInteger = VersionedTable::newSmallInteger;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        VersionedTable::major = c.major;
        VersionedTable::minor = c.minor;
        VersionedTable::minorAsked = 0;
        EXPECT_EQ(plugin->bind(&table), c.accepted);
        EXPECT_EQ(VersionedTable::minorAsked != 0, c.minorAsked);
    }
}

// A refused table is kept all the same: the primitives then use it.
TEST_F(CaptureTest, KeepsARefusedTable) {
    HostInterface table = *vm.table();
    table.interfaceMajorVersion = VersionedTable::majorVersion;
    table.newSmallInteger = VersionedTable::newSmallInteger;
    VersionedTable::major = 2;
    VersionedTable::integersMade = 0;
    EXPECT_EQ(plugin->bind(&table), 0);
    EXPECT_EQ(lastError(), 0);
    EXPECT_EQ(VersionedTable::integersMade, 1);
    EXPECT_EQ(plugin->bind(vm.table()), 1);
}

TEST_F(CaptureTest, FreshLibraryReportsNothing) {
    EXPECT_EQ(lastError(), 0);
    EXPECT_EQ(vm.stackEffects(), (std::vector<StackEffect>{{StackEffect::PopAndPush, 1, smallInteger(0)}}));
    EXPECT_EQ(lastSampleTime(), 0.0);
    ASSERT_EQ(vm.stackEffects().size(), 1u);
    EXPECT_EQ(vm.stackEffects()[0].kind, StackEffect::PopAndPush);
    EXPECT_EQ(vm.stackEffects()[0].count, 1);
    EXPECT_EQ(decodeSizeWord(), 0u);
    EXPECT_EQ(vm.stackEffects(), (std::vector<StackEffect>{{StackEffect::PopStack, 1, 0},
                                                           {StackEffect::PushObject, 0, smallInteger(0)}}));
}

// Each load starts from a zeroed state, whatever the last one reported.
TEST_F(CaptureTest, ReloadingForgetsTheLastStatus) {
    EXPECT_FALSE(call("primDecoderRun"));
    EXPECT_EQ(lastError(), 6);
    plugin.reset();
    std::string error;
    plugin = host::Plugin::open("Pelquist", pluginDirectory(), &error);
    ASSERT_NE(plugin, nullptr) << error;
    attach(vm, *plugin);
    ASSERT_EQ(plugin->bind(vm.table()), 1);
    EXPECT_EQ(lastError(), 0);
}

TEST_F(CaptureTest, InitialiseModuleResetsTheFrameClockButNotTheStatus) {
    Script script;
    startRunningDecoder(script);
    deliver(testplatform::rgb24Frame(320, 240, 2.5, [](int, int) { return testplatform::Bgr{}; }));
    EXPECT_EQ(lastSampleTime(), 2.5);
    EXPECT_FALSE(call("primDecoderSetDecodeSize", {smallInteger(360), smallInteger(240)}));
    ASSERT_EQ(lastError(), 10);

    EXPECT_EQ(callModule("initialiseModule"), 1);
    EXPECT_EQ(lastError(), 10);
    EXPECT_EQ(lastSampleTime(), 0.0);
    // The semaphore index is 0 now: frames keep their time but signal nothing.
    deliver(testplatform::rgb24Frame(320, 240, 3.5, [](int, int) { return testplatform::Bgr{}; }));
    EXPECT_EQ(lastSampleTime(), 3.5);
    EXPECT_EQ(vm.signalCount(kFrameSemaphore), 1u);
}

TEST_F(CaptureTest, ShutdownModuleWithoutAGraphAnswersZero) {
    EXPECT_EQ(callModule("shutdownModule"), 0);
    EXPECT_EQ(lastError(), 6);
}

} // namespace
} // namespace capturetest
