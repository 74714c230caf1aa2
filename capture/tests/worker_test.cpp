// The worker: its start and the failures of each start step, the one-slot
// mailbox, the graph's state changes, the teardown and the module's wait.
#include "capture_fixture.h"
#include "win32_messages.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace capturetest {
namespace {

// The last of the graph's state changes in the log.
std::string lastStateChange(const std::vector<std::string> &log) {
    auto found = std::find_if(log.rbegin(), log.rend(), [](const std::string &entry) {
        return entry == "Run" || entry == "Pause" || entry == "Stop";
    });
    return found == log.rend() ? std::string() : *found;
}

TEST_F(CaptureTest, ASecondStartIsRefusedAfterRereadingTheWindow) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    vm.offerWindow(0x3B);
    EXPECT_FALSE(call("primInitializeDecoder"));
    EXPECT_EQ(lastError(), 5);
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    EXPECT_TRUE(platform.logged("put_Owner 59"));
    EXPECT_EQ(media::platformCounts().threadsRunning, 1);
}

// A start step that fails leaves nothing behind, and the next start works.
TEST_F(CaptureTest, AStartThatFailsCanBeRetried) {
    for (media::Fault fault : {media::Fault::CreateEvent, media::Fault::CreateThread, media::Fault::ResumeThread}) {
        SCOPED_TRACE(int(fault));
        callModule("shutdownModule"); // closes the last worker's handle
        int handles = media::platformCounts().openHandles;
        media::failNext(fault);
        EXPECT_FALSE(call("primInitializeDecoder"));
        EXPECT_EQ(lastError(), 5);
        EXPECT_EQ(media::platformCounts().threadsRunning, 0);
        EXPECT_EQ(media::platformCounts().openHandles, handles);
        ASSERT_TRUE(initializeAndAwaitBuild());
        EXPECT_EQ(lastError(), 1);
        ASSERT_EQ(callModule("shutdownModule"), 1);
    }
}

#if defined(__linux__) && !defined(__SANITIZE_THREAD__) // its runtime starts a thread of its own
// The process's threads, as the kernel counts them.
size_t processThreads() {
    size_t count = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/task")) count += entry.is_directory();
    return count;
}

// A worker that could not be resumed is given up; its thread is gone by the
// time the start has failed, not parked for good.
TEST_F(CaptureTest, AWorkerThatCouldNotBeResumedLeavesNoThread) {
    const size_t threads = processThreads();
    media::failNext(media::Fault::ResumeThread);
    EXPECT_FALSE(call("primInitializeDecoder"));
    EXPECT_EQ(lastError(), 5);
    EXPECT_LE(processThreads(), threads);
}
#endif

// A refused priority leaves the worker at the default one: the decoder
// builds, shuts down leaving nothing and starts again as usual.
TEST_F(CaptureTest, ARefusedPriorityRunsTheWorkerAtTheDefaultPriority) {
    media::failNext(media::Fault::SetThreadPriority);
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_EQ(lastError(), 1);
    EXPECT_EQ(platform.creationContexts().size(), 3u);
    EXPECT_EQ(media::platformCounts().threadsRunning, 1);
    ASSERT_EQ(callModule("shutdownModule"), 1);
    EXPECT_EQ(media::platformCounts().threadsRunning, 0);
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_EQ(lastError(), 1);
    EXPECT_EQ(media::platformCounts().lastThreadPriority, THREAD_PRIORITY_HIGHEST);
}

// A wait that fails would never wake again: the worker ends through the
// teardown, keeping the build's status.
TEST_F(CaptureTest, AFailedWaitEndsTheWorkerThroughTheTeardown) {
    media::failNext(media::Fault::WaitForEvent);
    ASSERT_TRUE(call("primInitializeDecoder"));
    ASSERT_TRUE(awaitWorkerEnd());
    EXPECT_EQ(lastError(), 1);
    EXPECT_EQ(platform.liveObjects(), 0);
    EXPECT_FALSE(call("primDecoderRun"));
    EXPECT_EQ(lastError(), 6);
}

// Posts during the build wait in the mailbox; a later one replaces an
// earlier one not yet taken.
TEST_F(CaptureTest, RunThenStopBeforeTheWorkerWakesRunsOnlyTheStop) {
    platform.holdAt(Hold::Render);
    ASSERT_TRUE(call("primInitializeDecoder"));
    ASSERT_TRUE(platform.waitUntilHeld());
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primDecoderRun"));
    ASSERT_TRUE(call("primDecoderStop"));
    int waits = eventWaits();
    platform.releaseHold();
    // The first wait finds the event set and takes the stop; the second idles.
    ASSERT_TRUE(eventually([&] { return eventWaits() >= waits + 2; }));
    EXPECT_TRUE(platform.logged("Stop"));
    EXPECT_FALSE(platform.logged("Run"));
}

TEST_F(CaptureTest, ACommandPostedDuringAFailingBuildNeverRuns) {
    Script script;
    script.failing = {Step::Render};
    platform.configure(script);
    platform.holdAt(Hold::Render);
    ASSERT_TRUE(call("primInitializeDecoder"));
    ASSERT_TRUE(platform.waitUntilHeld());
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(call("primDecoderRun"));
    platform.releaseHold();
    ASSERT_TRUE(awaitWorkerEnd());
    EXPECT_EQ(lastError(), 4);
    EXPECT_FALSE(platform.logged("Run"));
}

// Until the window is configured a run does nothing but record 6; after
// it, even hidden, the graph runs.
TEST_F(CaptureTest, TheGraphRunsOnlyOnceItsWindowIsConfigured) {
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(post("primDecoderRun"));
    EXPECT_EQ(answerInteger(), 1);
    EXPECT_EQ(lastError(), 6);
    EXPECT_FALSE(platform.logged("Run"));
    ASSERT_TRUE(call("primDecoderShowWindow", {om.falseObject()}));
    ASSERT_TRUE(post("primDecoderRun"));
    EXPECT_TRUE(platform.logged("Run"));
    EXPECT_EQ(lastError(), 1);
}

TEST_F(CaptureTest, PauseAndStopReachTheGraph) {
    startRunningDecoder(Script{});
    ASSERT_TRUE(post("primDecoderPause"));
    EXPECT_EQ(lastStateChange(platform.log()), "Pause");
    ASSERT_TRUE(post("primDecoderStop"));
    EXPECT_EQ(lastStateChange(platform.log()), "Stop");
    EXPECT_EQ(lastError(), 1);
}

TEST_F(CaptureTest, AGraphWithoutMediaControlRecords7) {
    Script script;
    script.failing = {Step::MediaControl};
    platform.configure(script);
    ASSERT_TRUE(initializeAndAwaitBuild());
    ASSERT_TRUE(call("primDecoderShowWindow", {om.trueObject()}));
    ASSERT_TRUE(post("primDecoderRun"));
    EXPECT_EQ(lastError(), 7);
}

// A state the graph refuses to take is a refused step: the post has
// answered 1, and the worker records 4.
TEST_F(CaptureTest, AStateChangeTheGraphRefusesRecords4) {
    startRunningDecoder(Script{});
    struct Case {
        const char *primitive;
        Step step;
    };
    for (Case c : {Case{"primDecoderPause", Step::Pause}, Case{"primDecoderStop", Step::Stop},
                   Case{"primDecoderRun", Step::Run}}) {
        SCOPED_TRACE(c.primitive);
        Script refusing;
        refusing.failing = {c.step};
        platform.configure(refusing);
        ASSERT_TRUE(post(c.primitive));
        EXPECT_EQ(answerInteger(), 1);
        EXPECT_EQ(lastError(), 4);
        platform.configure(Script{});
        ASSERT_TRUE(post(c.primitive));
        EXPECT_EQ(lastError(), 1);
    }
}

// The worker empties the mailbox in one step: of a burst of posts the last
// one is always carried out.
TEST_F(CaptureTest, TheLastOfABurstOfCommandsIsCarriedOut) {
    startRunningDecoder(Script{});
    for (int round = 0; round < 50; ++round) {
        for (int post = 0; post < 20; ++post) ASSERT_TRUE(call(post % 2 == 0 ? "primDecoderRun" : "primDecoderPause"));
        ASSERT_TRUE(call("primDecoderStop"));
        ASSERT_TRUE(eventually([&] { return lastStateChange(platform.log()) == "Stop"; })) << "round " << round;
        platform.clearLog();
    }
}

TEST_F(CaptureTest, AShutdownEndsTheWorkerAndAFreshStartBuildsAgain) {
    startRunningDecoder(Script{});
    ASSERT_TRUE(call("primShutdownDecoder"));
    EXPECT_EQ(answerInteger(), 1);
    ASSERT_TRUE(awaitWorkerEnd());
    EXPECT_EQ(lastError(), 1);
    EXPECT_EQ(platform.liveObjects(), 0);
    // The callback is forgotten before anything of the graph goes.
    std::vector<std::string> log = platform.log();
    auto forgotten = std::find(log.begin(), log.end(), "SetCallback none");
    EXPECT_LT(forgotten, std::find(log.begin(), log.end(), "put_Visible 0"));
    for (const char *entry : {"put_Visible 0", "put_Owner 0", "Release SampleGrabber", "Release FilterGraph",
                              "Release Device 0", "Release VideoRenderer"})
        EXPECT_TRUE(platform.logged(entry)) << entry;
    EXPECT_FALSE(call("primDecoderRun"));
    EXPECT_EQ(lastError(), 6);
    platform.clearLog();
    ASSERT_TRUE(initializeAndAwaitBuild());
    EXPECT_EQ(lastError(), 1);
    EXPECT_TRUE(platform.logged("Bind device 0"));
}

// The module's shutdown returns only once the worker is gone.
TEST_F(CaptureTest, ShutdownModuleWaitsForTheTeardown) {
    startRunningDecoder(Script{});
    EXPECT_EQ(callModule("shutdownModule"), 1);
    EXPECT_EQ(media::platformCounts().threadsRunning, 0);
    EXPECT_EQ(platform.liveObjects(), 0);
    EXPECT_EQ(lastError(), 1);
}

// Shut down while the worker has not made its graph yet: there is no graph
// to post to, yet both shutdowns return only once the worker has ended,
// however long its build takes, and the host's messages flow meanwhile.
TEST_F(CaptureTest, AShutdownDuringTheBuildWaitsForTheWorkerWithMessagesFlowing) {
    struct Case {
        const char *how;
        std::chrono::milliseconds held; // beyond any time limit the wait might have
    };
    for (const Case &c : {Case{"shutdownModule", std::chrono::milliseconds(6000)},
                          Case{"primShutdownDecoder", std::chrono::milliseconds(0)}}) {
        SCOPED_TRACE(c.how);
        platform.holdAt(Hold::CreateGraph);
        ASSERT_TRUE(call("primInitializeDecoder"));
        ASSERT_TRUE(platform.waitUntilHeld());
        int threadWaits = media::platformCounts().threadWaits;
        int dispatched = media::platformCounts().messagesDispatched;
        DWORD hostThread = GetCurrentThreadId();
        std::thread releaser([&] {
            eventually([&] { return media::platformCounts().threadWaits > threadWaits; });
            PostThreadMessageW(hostThread, WM_USER, 0, 0);
            eventually([&] { return media::platformCounts().messagesDispatched > dispatched; });
            std::this_thread::sleep_for(c.held);
            platform.releaseHold();
        });
        if (std::string(c.how) == "shutdownModule") {
            EXPECT_EQ(callModule("shutdownModule"), 0);
        } else {
            ASSERT_TRUE(call("primShutdownDecoder"));
            EXPECT_EQ(answerInteger(), 0);
        }
        EXPECT_EQ(media::platformCounts().threadsRunning, 0);
        EXPECT_EQ(platform.liveObjects(), 0);
        EXPECT_GT(media::platformCounts().messagesDispatched, dispatched);
        releaser.join();
        EXPECT_EQ(lastError(), 1);
        EXPECT_FALSE(call("primDecoderRun"));
    }
}

// The graph's own reports while it streams: a device that went away
// records 2, one that aborted 4, or 9 when the abort was a format the
// stream could not agree on; each stops the graph, which stays
// until the host shuts it down. Other events change nothing.
TEST_F(CaptureTest, TheGraphsReportsOfALostDeviceOrAnAbortStopTheStream) {
    struct Case {
        testplatform::GraphEvent event;
        int status;
        bool stops;
    };
    const Case cases[] = {
        {{EC_DEVICE_LOST, 0, 0}, 2, true},
        {{EC_ERRORABORT, E_FAIL, 0}, 4, true},
        {{EC_ERRORABORTEX, E_FAIL, 0}, 4, true},
        {{EC_ERRORABORT, LONG_PTR(VFW_E_TYPE_NOT_ACCEPTED), 0}, 9, true},
        {{EC_ERRORABORTEX, LONG_PTR(VFW_E_NO_ACCEPTABLE_TYPES), 0}, 9, true},
        {{EC_DEVICE_LOST, 0, 1}, 1, false}, // the device came back
        {{0x01, 0, 0}, 1, false},           // the stream completed
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.event.code) + " " + std::to_string(c.event.second));
        startRunningDecoder(Script{});
        platform.clearLog();
        int waits = eventWaits();
        platform.raiseEvent(c.event);
        ASSERT_TRUE(awaitWorkerWait(waits));
        EXPECT_EQ(lastError(), c.status);
        std::vector<std::string> expected{"FreeEventParams " + std::to_string(c.event.code)};
        if (c.stops) expected.push_back("Stop");
        EXPECT_EQ(platform.log(), expected);
        EXPECT_TRUE(call("primDecoderRequestCapture"));
        ASSERT_EQ(callModule("shutdownModule"), 1);
        EXPECT_EQ(lastError(), 1);
    }
}

// Posts racing the teardown signal an event that is still open: the
// platform counts any call on a closed handle, and the fixture checks it.
TEST_F(CaptureTest, PostsRacingTheTeardownNeverSignalAClosedEvent) {
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(initializeAndAwaitBuild());
        // Held inside the teardown's release, the shutdown is taken; the
        // posts below then race the rest of the teardown.
        platform.holdAt(Hold::HideWindow);
        ASSERT_TRUE(call("primShutdownDecoder"));
        ASSERT_TRUE(platform.waitUntilHeld());
        platform.releaseHold();
        while (call("primDecoderRun")) {
        }
        ASSERT_TRUE(awaitWorkerEnd());
        EXPECT_EQ(media::platformCounts().handleMisuses, 0);
    }
}

// The teardown releases the graph while the host thread waits to configure
// its window or decode size; the host thread then finds no graph and never
// calls the released objects.
TEST_F(CaptureTest, TheTeardownNeverOverlapsTheHostsUseOfTheGraph) {
    struct Case {
        const char *primitive;
        std::vector<HostWord> arguments;
        const char *call;
        int status;
    };
    const Case cases[] = {
        {"primDecoderShowWindow", {om.trueObject()}, "put_WindowStyle", 6},
        {"primDecoderSetDecodeSize", {smallInteger(360), smallInteger(240)}, "put_IPDisplay", 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.primitive);
        Script script;
        script.hasDvDecoder = true;
        startRunningDecoder(script);
        platform.holdAt(Hold::HideWindow);
        ASSERT_TRUE(call("primShutdownDecoder"));
        ASSERT_TRUE(platform.waitUntilHeld());
        size_t logged = platform.log().size();
        int contended = media::platformCounts().contendedLocks;
        std::thread releaser([&] {
            eventually([&] { return media::platformCounts().contendedLocks > contended; });
            platform.releaseHold();
        });
        host::Plugin::Primitive primitive = plugin->primitive(c.primitive);
        vm.prepareCall(receiver(), {});
        vm.stack().insert(vm.stack().end(), c.arguments.begin(), c.arguments.end());
        primitive();
        releaser.join();
        EXPECT_TRUE(vm.failed());
        for (const std::string &entry : logSince(logged)) EXPECT_EQ(entry.rfind(c.call, 0), std::string::npos) << entry;
        ASSERT_TRUE(awaitWorkerEnd());
    }
}

// Frames stream with captures requested while the host copies the kept
// frame and changes the decode size: every copy sees one whole frame, and
// every sample time read is one a frame carried.
TEST_F(CaptureTest, TheFrameBufferIsNeverTornOrFreedUnderACopy) {
    Script script;
    script.hasDvDecoder = true;
    script.connectedWidth = 180;
    script.connectedHeight = 120;
    startRunningDecoder(script);
    std::atomic<bool> done{false};
    std::thread streamer([&] {
        for (int frame = 1; !done.load(); ++frame) {
            uint8_t value = uint8_t(frame);
            platform.pushFrame(testplatform::rgb24Frame(180, 120, double(frame),
                                                        [=](int, int) { return testplatform::Bgr{value, value, value}; }));
            platform.waitForFramesDelivered(frame - 2);
        }
    });
    HostWord bitmap = om.newBitmap(180, 120, 32);
    for (int round = 0; round < 200; ++round) {
        if (round % 20 == 10) {
            bool small = round % 40 == 10;
            ASSERT_TRUE(call("primDecoderSetDecodeSize", {smallInteger(small ? 88 : 180), smallInteger(small ? 60 : 120)}));
        }
        ASSERT_TRUE(call("primDecoderRequestCapture"));
        uint32_t size = decodeSizeWord();
        ASSERT_TRUE(copyInto(bitmap));
        std::vector<uint32_t> words = wordsOf(bitmap);
        size_t written = size_t(size >> 16) * (size & 0xFFFF);
        for (size_t i = 1; i < written; ++i) ASSERT_EQ(words[i], words[0]) << "round " << round << " word " << i;
        double time = lastSampleTime();
        ASSERT_EQ(time, double(int64_t(time)));
    }
    done = true;
    streamer.join();
}

} // namespace
} // namespace capturetest
