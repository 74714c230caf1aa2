// The layer's waits on several objects and its thread message queues, as
// the worker and the host's shutdown wait use them.
#include "media_platform.h"
#include "platform_faults.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

struct Events {
    Events(BOOL firstManual, BOOL secondManual)
        : handles{CreateEventW(nullptr, firstManual, FALSE, nullptr), CreateEventW(nullptr, secondManual, FALSE, nullptr)} {}
    ~Events() {
        for (HANDLE handle : handles) CloseHandle(handle);
    }
    HANDLE handles[2];
};

DWORD WINAPI returnAtOnce(LPVOID) { return 0; }

TEST(PlatformLayer, AWaitOnSeveralObjectsAnswersTheFirstSignalled) {
    Events events(FALSE, TRUE);
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events.handles[1]);
    SetEvent(events.handles[0]);
    // The auto-reset event is taken by the wait that answers it; the
    // manual-reset one stays signalled until it is reset.
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, 0), WAIT_OBJECT_0 + 1);
    ResetEvent(events.handles[1]);
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, 20), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(events.handles[1], 0), WAIT_TIMEOUT);
}

TEST(PlatformLayer, AWaitOnSeveralObjectsWakesWhenOneIsSignalledLater) {
    Events events(FALSE, FALSE);
    std::thread signaller([&] {
        std::this_thread::sleep_for(milliseconds(50));
        SetEvent(events.handles[1]);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    signaller.join();

    HANDLE thread = CreateThread(nullptr, 0, returnAtOnce, nullptr, 0, nullptr);
    HANDLE objects[] = {events.handles[0], thread};
    EXPECT_EQ(WaitForMultipleObjects(2, objects, FALSE, 10000), WAIT_OBJECT_0 + 1);
    CloseHandle(thread);
}

TEST(PlatformLayer, AWaitOnSeveralObjectsRefusesWhatItCannotServe) {
    Events events(FALSE, FALSE);
    HANDLE closed = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    CloseHandle(closed);
    HANDLE withClosed[] = {events.handles[0], closed};
    int misuses = media::platformCounts().handleMisuses;
    EXPECT_EQ(WaitForMultipleObjects(2, withClosed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(media::platformCounts().handleMisuses, misuses + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, nullptr, FALSE, 0), WAIT_FAILED);
    media::failNext(media::Fault::WaitForEvent);
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(2, events.handles, FALSE, 0), WAIT_TIMEOUT);
}

// A message posted to the waiting thread wakes it past its objects; the
// thread takes its messages one at a time, in order, and no other thread's.
TEST(PlatformLayer, AMessageWaitWakesForAPostedMessage) {
    Events events(FALSE, FALSE);
    DWORD waiter = GetCurrentThreadId();
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events.handles, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);
    std::thread poster([&] {
        std::this_thread::sleep_for(milliseconds(50));
        MSG message;
        EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
        PostThreadMessageW(waiter, WM_USER, 1, 0);
        PostThreadMessageW(waiter, WM_USER + 1, 2, 0);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events.handles, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0 + 2);
    poster.join();
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, UINT(WM_USER));
    int dispatched = media::platformCounts().messagesDispatched;
    for (UINT expected : {UINT(WM_USER), UINT(WM_USER + 1)}) {
        ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(message.message, expected);
        DispatchMessageW(&message);
    }
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(media::platformCounts().messagesDispatched, dispatched + 2);
    // An object signalled meanwhile still answers as itself.
    SetEvent(events.handles[0]);
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events.handles, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
}

} // namespace
