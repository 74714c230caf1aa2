// Threads, events, waits and the slim lock over POSIX threads.
#include "win32_threads.h"

#include "kernel_objects.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <vector>

namespace media {

namespace {
// Every change that may end a wait on several objects counts here, so that
// such a wait sleeps only while none of its objects could have changed.
std::mutex changeMutex;
std::condition_variable anyChange;
uint64_t changes = 0;

std::atomic<DWORD> lastThreadId{0};
thread_local DWORD currentThreadId = 0;
} // namespace

void noteChange() {
    {
        std::lock_guard<std::mutex> lock(changeMutex);
        ++changes;
    }
    anyChange.notify_all();
}

namespace {

struct Waitable : KernelObject {
    // Answers at once: true, and the object taken as a wait takes it, when
    // it is signalled.
    virtual bool take() = 0;
    virtual void closed() {}
};

struct Event : Waitable {
    explicit Event(bool manual, bool initial) : manualReset(manual), signaled(initial) {}
    bool take() override {
        std::lock_guard<std::mutex> lock(mutex);
        if (!signaled) return false;
        if (!manualReset) signaled = false;
        return true;
    }
    void set(bool signal) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            signaled = signal;
        }
        noteChange();
    }
    const bool manualReset;
    bool signaled;
    std::mutex mutex;
};

// A thread starts suspended and runs its routine once resumed. Its handle
// becomes signalled when the routine has returned; the first wait that sees
// that joins the POSIX thread, so nothing of it runs after the wait answers.
struct Thread : Waitable {
    Thread(LPTHREAD_START_ROUTINE routine, LPVOID parameter) : routine(routine), parameter(parameter) {}
    bool take() override {
        std::lock_guard<std::mutex> lock(mutex);
        if (!ended) return false;
        joinEnded();
        return true;
    }
    // Under mutex, once the routine has returned.
    void joinEnded() {
        if (released) return;
        pthread_join(thread, nullptr);
        released = true;
    }
    // A thread never resumed can never be once its handle is gone: it ends
    // without running its routine, and the close waits for that, so that
    // nothing of it is left once the close answers.
    void closed() override {
        std::unique_lock<std::mutex> lock(mutex);
        if (released) return;
        released = true;
        if (ended) {
            pthread_join(thread, nullptr);
        } else if (resumed) {
            pthread_detach(thread);
        } else {
            lock.unlock();
            changed.notify_all();
            pthread_join(thread, nullptr);
        }
    }
    DWORD resume() {
        std::lock_guard<std::mutex> lock(mutex);
        if (resumed) return 0;
        resumed = true;
        ++counters().threadsRunning;
        changed.notify_all();
        return 1;
    }
    static void *main(void *argument) {
        std::shared_ptr<Thread> self = std::move(*static_cast<std::shared_ptr<Thread> *>(argument));
        delete static_cast<std::shared_ptr<Thread> *>(argument);
        {
            std::unique_lock<std::mutex> lock(self->mutex);
            self->changed.wait(lock, [&] { return self->resumed || self->released; });
            if (!self->resumed) return nullptr;
        }
        currentThreadId = self->id;
        self->routine(self->parameter);
        --counters().threadsRunning;
        {
            std::lock_guard<std::mutex> lock(self->mutex);
            self->ended = true;
        }
        self->changed.notify_all();
        noteChange();
        return nullptr;
    }
    const LPTHREAD_START_ROUTINE routine;
    const LPVOID parameter;
    const DWORD id = ++lastThreadId;
    pthread_t thread{};
    bool resumed = false, ended = false, released = false;
    std::mutex mutex;
    std::condition_variable changed;
};

template <class Kind>
std::shared_ptr<Kind> objectAs(HANDLE handle) {
    std::shared_ptr<KernelObject> object = objectOf(handle);
    std::shared_ptr<Kind> ofKind = std::dynamic_pointer_cast<Kind>(object);
    if (object != nullptr && ofKind == nullptr) ++counters().handleMisuses;
    return ofKind;
}

} // namespace

DWORD waitForFirst(DWORD count, const HANDLE *handles, DWORD milliseconds, bool wakeForMessages) {
    if (count > MAXIMUM_WAIT_OBJECTS || (count == 0 && !wakeForMessages) || (count != 0 && handles == nullptr))
        return WAIT_FAILED;
    std::vector<std::shared_ptr<Waitable>> objects;
    bool events = false, threads = false;
    for (DWORD i = 0; i < count; ++i) {
        std::shared_ptr<Waitable> object = objectAs<Waitable>(handles[i]);
        if (object == nullptr) return WAIT_FAILED;
        events = events || std::dynamic_pointer_cast<Event>(object) != nullptr;
        threads = threads || std::dynamic_pointer_cast<Thread>(object) != nullptr;
        objects.push_back(std::move(object));
    }
    if (events && takeFault(Fault::WaitForEvent)) return WAIT_FAILED;
    if (events) ++counters().eventWaits;
    if (threads) ++counters().threadWaits;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(changeMutex);
    for (;;) {
        uint64_t seen = changes;
        lock.unlock();
        for (DWORD i = 0; i < count; ++i)
            if (objects[i]->take()) return WAIT_OBJECT_0 + i;
        if (wakeForMessages && messageWaiting()) return WAIT_OBJECT_0 + count;
        lock.lock();
        auto changed = [&] { return changes != seen; };
        if (milliseconds == INFINITE)
            anyChange.wait(lock, changed);
        else if (!anyChange.wait_until(lock, deadline, changed))
            return WAIT_TIMEOUT;
    }
}


HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR) {
    if (takeFault(Fault::CreateEvent)) return nullptr;
    return addHandle(std::make_shared<Event>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL SetEvent(HANDLE hEvent) {
    std::shared_ptr<Event> event = objectAs<Event>(hEvent);
    if (event == nullptr) return FALSE;
    event->set(true);
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
    std::shared_ptr<Event> event = objectAs<Event>(hEvent);
    if (event == nullptr) return FALSE;
    event->set(false);
    return TRUE;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (takeFault(Fault::CreateThread)) return nullptr;
    // The stack size asks only how much to commit up front; the reservation
    // stays the default, so the POSIX default stack serves.
    auto thread = std::make_shared<Thread>(lpStartAddress, lpParameter);
    auto *argument = new std::shared_ptr<Thread>(thread);
    if (pthread_create(&thread->thread, nullptr, &Thread::main, argument) != 0) {
        delete argument;
        return nullptr;
    }
    HANDLE handle = addHandle(thread);
    if (lpThreadId != nullptr) *lpThreadId = thread->id;
    if ((dwCreationFlags & CREATE_SUSPENDED) == 0) thread->resume();
    return handle;
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority) {
    if (objectAs<Thread>(hThread) == nullptr) return FALSE;
    if (takeFault(Fault::SetThreadPriority)) return FALSE;
    // Raising a POSIX thread's priority needs privileges a plug-in lacks;
    // the request is recorded and the thread runs at the default.
    counters().lastThreadPriority = nPriority;
    return TRUE;
}

DWORD ResumeThread(HANDLE hThread) {
    std::shared_ptr<Thread> thread = objectAs<Thread>(hThread);
    if (thread == nullptr || takeFault(Fault::ResumeThread)) return static_cast<DWORD>(-1);
    return thread->resume();
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return waitForFirst(1, &hHandle, dwMilliseconds, false);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE *lpHandles, BOOL bWaitAll, DWORD dwMilliseconds) {
    if (bWaitAll) return WAIT_FAILED;
    return waitForFirst(nCount, lpHandles, dwMilliseconds, false);
}

// A thread the layer did not start gets its number when it first asks.
DWORD GetCurrentThreadId() {
    if (currentThreadId == 0) currentThreadId = ++lastThreadId;
    return currentThreadId;
}

BOOL CloseHandle(HANDLE hObject) {
    std::shared_ptr<KernelObject> removed;
    if (!removeHandle(hObject, &removed)) return FALSE;
    if (auto waitable = std::dynamic_pointer_cast<Waitable>(removed)) waitable->closed();
    return TRUE;
}

void AcquireSRWLockExclusive(PSRWLOCK SRWLock) {
    if (SRWLock->mutex.try_lock()) return;
    ++counters().contendedLocks;
    SRWLock->mutex.lock();
}

void ReleaseSRWLockExclusive(PSRWLOCK SRWLock) { SRWLock->mutex.unlock(); }

} // namespace media
