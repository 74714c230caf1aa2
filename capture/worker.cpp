#include "worker.h"

#include "capture_graph.h"
#include "com_ptr.h"
#include "exclusive_lock.h"
#include "requests.h"

namespace {

const DWORD kEndPollMilliseconds = 10;
const int kEndPolls = 500; // five seconds

// The handle of a worker that has passed its teardown, or was never
// resumed, is closed here once its thread has ended. Host thread.
void closeStartedWorker() {
    if (decoder.startedWorker == nullptr) return;
    WaitForSingleObject(decoder.startedWorker, INFINITE);
    CloseHandle(decoder.startedWorker);
    decoder.startedWorker = nullptr;
}

typedef HRESULT (*StateChange)(IMediaControl *control);

int changeGraphState(StateChange change) {
    IGraphBuilder *graph = decoder.graph.load();
    if (graph == nullptr || decoder.windowReady.load() == 0) {
        setStatus(StatusPreconditionMissing);
        return 0;
    }
    ComPtr<IMediaControl> control;
    if (FAILED(graph->QueryInterface(IID_IMediaControl, control.outAsVoid())) || !control) {
        setStatus(StatusInterfaceMissing);
        return 0;
    }
    HRESULT changed = change(control.get());
    control.reset();
    if (FAILED(changed)) {
        setStatus(StatusGraphRefused);
        return 0;
    }
    setStatus(StatusSuccess);
    return 1;
}

} // namespace

int startWorker() {
    if (decoder.workerThread.load() != nullptr) {
        setStatus(StatusWorkerNotStarted);
        return 0;
    }
    // The previous worker cleared workerThread in its teardown and is at
    // most returning now.
    closeStartedWorker();

    SYSTEM_INFO system;
    GetSystemInfo(&system);

    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr) {
        setStatus(StatusWorkerNotStarted);
        return 0;
    }
    decoder.commandEvent.store(event);

    HANDLE thread = CreateThread(nullptr, system.dwPageSize, workerMain, nullptr, CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) {
        decoder.commandEvent.store(nullptr);
        CloseHandle(event);
        setStatus(StatusWorkerNotStarted);
        return 0;
    }
    decoder.workerThread.store(thread);

    // A refused priority is no reason not to capture: the worker then runs
    // at the default one.
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);

    // Recorded before the thread runs, so a status of its build stands.
    setStatus(StatusSuccess);
    if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
        decoder.workerThread.store(nullptr);
        decoder.commandEvent.store(nullptr);
        CloseHandle(event);
        CloseHandle(thread);
        setStatus(StatusWorkerNotStarted);
        return 0;
    }
    decoder.startedWorker = thread;
    return 1;
}

DWORD WINAPI workerMain(LPVOID) {
    if (!buildCaptureGraph()) {
        teardownDecoder(false);
        return 0;
    }
    for (;;) {
        // A wait that fails would never wake again: end as after a failed build.
        if (WaitForSingleObject(decoder.commandEvent.load(), INFINITE) != WAIT_OBJECT_0) {
            teardownDecoder(false);
            return 0;
        }
        if (decoder.workerThread.load() == nullptr) return 0;
        // Taken and cleared in one step, so a post landing meanwhile stays
        // for the next wake.
        switch (decoder.pendingCommand.exchange(CommandNone)) {
        case CommandRun:
            runGraph();
            break;
        case CommandPause:
            pauseGraph();
            break;
        case CommandStop:
            stopGraph();
            break;
        case CommandShutdown:
            teardownDecoder(true);
            return 0;
        default:
            break;
        }
    }
}

int runGraph() {
    return changeGraphState([](IMediaControl *control) { return control->Run(); });
}

int pauseGraph() {
    return changeGraphState([](IMediaControl *control) { return control->Pause(); });
}

int stopGraph() {
    return changeGraphState([](IMediaControl *control) { return control->Stop(); });
}

void teardownDecoder(bool forShutdownCommand) {
    releaseGraph();
    decoder.hostWindow.store(0);
    decoder.frameCallback.store(nullptr);
    {
        ExclusiveLock lock(decoder.frameLock);
        if (decoder.frameBuffer != nullptr) {
            VirtualFree(decoder.frameBuffer, 0, MEM_RELEASE);
            decoder.frameBuffer = nullptr;
            decoder.frameHeight.store(0);
            decoder.frameWidth.store(0);
        }
    }
    CoUninitialize();
    if (decoder.workerThread.load() != nullptr) {
        {
            ExclusiveLock lock(decoder.mailboxLock);
            CloseHandle(decoder.commandEvent.exchange(nullptr));
        }
        decoder.workerThread.store(nullptr);
    }
    if (forShutdownCommand) setStatus(StatusSuccess);
}

void awaitWorkerEnd(bool shutdownPosted) {
    if (decoder.startedWorker == nullptr) return;
    for (int poll = 0; poll < kEndPolls; ++poll) {
        if (WaitForSingleObject(decoder.startedWorker, kEndPollMilliseconds) == WAIT_OBJECT_0) {
            closeStartedWorker();
            return;
        }
        // A worker still building had no graph to post to; once it has
        // one, it can be told.
        if (!shutdownPosted && decoder.graph.load() != nullptr) shutdownPosted = requestShutdown() != 0;
    }
}
