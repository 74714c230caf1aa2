// Threads, events, waits and the slim lock over POSIX threads.
#include "win32_threads.h"

#include "kernel_objects.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>

namespace media {
namespace {

struct Waitable : KernelObject {
    virtual DWORD wait(DWORD milliseconds) = 0;
    virtual void closed() {}
};

// Waits on condition under lock for at most milliseconds (INFINITE: for good).
template <class Predicate>
bool waitFor(std::condition_variable &changed, std::unique_lock<std::mutex> &lock, DWORD milliseconds,
             Predicate condition) {
    if (milliseconds == INFINITE) {
        changed.wait(lock, condition);
        return true;
    }
    return changed.wait_for(lock, std::chrono::milliseconds(milliseconds), condition);
}

struct Event : Waitable {
    explicit Event(bool manual, bool initial) : manualReset(manual), signaled(initial) {}
    DWORD wait(DWORD milliseconds) override {
        if (takeFault(Fault::WaitForEvent)) return WAIT_FAILED;
        ++counters().eventWaits;
        std::unique_lock<std::mutex> lock(mutex);
        if (!waitFor(changed, lock, milliseconds, [this] { return signaled; })) return WAIT_TIMEOUT;
        if (!manualReset) signaled = false;
        return WAIT_OBJECT_0;
    }
    void set() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            signaled = true;
        }
        changed.notify_all();
    }
    const bool manualReset;
    bool signaled;
    std::mutex mutex;
    std::condition_variable changed;
};

// A thread starts suspended and runs its routine once resumed. Its handle
// becomes signalled when the routine has returned; the first wait that sees
// that joins the POSIX thread, so nothing of it runs after the wait answers.
struct Thread : Waitable {
    Thread(LPTHREAD_START_ROUTINE routine, LPVOID parameter) : routine(routine), parameter(parameter) {}
    DWORD wait(DWORD milliseconds) override {
        ++counters().threadWaits;
        std::unique_lock<std::mutex> lock(mutex);
        if (!waitFor(changed, lock, milliseconds, [this] { return ended; })) return WAIT_TIMEOUT;
        if (!released) {
            pthread_join(thread, nullptr);
            released = true;
        }
        return WAIT_OBJECT_0;
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
        self->routine(self->parameter);
        --counters().threadsRunning;
        {
            std::lock_guard<std::mutex> lock(self->mutex);
            self->ended = true;
        }
        self->changed.notify_all();
        return nullptr;
    }
    const LPTHREAD_START_ROUTINE routine;
    const LPVOID parameter;
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

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR) {
    if (takeFault(Fault::CreateEvent)) return nullptr;
    return addHandle(std::make_shared<Event>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL SetEvent(HANDLE hEvent) {
    std::shared_ptr<Event> event = objectAs<Event>(hEvent);
    if (event == nullptr) return FALSE;
    event->set();
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
    if (lpThreadId != nullptr) *lpThreadId = static_cast<DWORD>(reinterpret_cast<uintptr_t>(handle));
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
    std::shared_ptr<Waitable> object = objectAs<Waitable>(hHandle);
    return object == nullptr ? WAIT_FAILED : object->wait(dwMilliseconds);
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
