#include "worker.h"

#include "capture_graph.h"
#include "com_ptr.h"
#include "exclusive_lock.h"
#include "kept_frame.h"
#include "requests.h"

namespace {

// Waits for the thread to end while the calling thread's window messages
// flow: the host's thread owns the windows the preview lives in, and a
// graph tearing its window down may wait on that thread's messages.
void awaitEndWithMessagesFlowing(HANDLE thread) {
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) return;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// The handle of a worker that has passed its teardown is closed here once
// its thread has ended. Host thread.
void closeStartedWorker() {
    if (decoder.startedWorker == nullptr) return;
    awaitEndWithMessagesFlowing(decoder.startedWorker);
    CloseHandle(decoder.startedWorker);
    decoder.startedWorker = nullptr;
}

// No frame reaches the callback once this has answered: the grabber
// answers only when no call of it is running. Only the worker releases the
// grabber, so the lock keeps it for this call from any thread.
void forgetFrameCallback() {
    ExclusiveLock lock(decoder.graphLock);
    if (ISampleGrabber *grabber = decoder.grabber.load()) grabber->SetCallback(nullptr, 1);
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

// The graph's events, and the handle that is set while some wait, or null
// for a graph that reports none. Worker.
HANDLE eventHandleOf(ComPtr<IMediaEvent> &events) {
    IGraphBuilder *graph = decoder.graph.load();
    OAEVENT handle = 0;
    if (FAILED(graph->QueryInterface(IID_IMediaEvent, events.outAsVoid())) || !events ||
        FAILED(events->GetEventHandle(&handle))) {
        events.reset();
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(handle);
}

// A stream that ended badly: frames stop and the status says why, but the
// graph stays until the host shuts it down. Worker.
void endStreaming(DecoderStatus status) {
    ComPtr<IMediaControl> control;
    IGraphBuilder *graph = decoder.graph.load();
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaControl, control.outAsVoid())) && control) control->Stop();
    setStatus(status);
}

// An abort whose cause is a format the stream could not agree on reports
// the media type, as a build that could not settle one does.
bool formatRefused(LONG_PTR result) {
    return HRESULT(result) == VFW_E_TYPE_NOT_ACCEPTED || HRESULT(result) == VFW_E_NO_ACCEPTABLE_TYPES;
}

void takeGraphEvents(IMediaEvent *events) {
    LONG code = 0;
    LONG_PTR first = 0, second = 0;
    while (events->GetEvent(&code, &first, &second, 0) == S_OK) {
        events->FreeEventParams(code, first, second);
        if (code == EC_DEVICE_LOST && second == 0)
            endStreaming(StatusNoVideoDevice);
        else if (code == EC_ERRORABORT || code == EC_ERRORABORTEX)
            endStreaming(formatRefused(first) ? StatusMediaTypeRefused : StatusGraphRefused);
    }
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
    ComPtr<IMediaEvent> graphEvents;
    HANDLE waits[2] = {decoder.commandEvent.load(), eventHandleOf(graphEvents)};
    DWORD waitCount = waits[1] != nullptr ? 2 : 1;
    for (;;) {
        DWORD woke = WaitForMultipleObjects(waitCount, waits, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 + 1) {
            takeGraphEvents(graphEvents.get());
            continue;
        }
        // A wait that fails would never wake again: end as after a failed build.
        if (woke != WAIT_OBJECT_0) {
            graphEvents.reset();
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
            graphEvents.reset();
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
    forgetFrameCallback();
    releaseGraph();
    decoder.hostWindow.store(0);
    decoder.frameCallback.store(nullptr);
    freeFrameBuffers();
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

namespace {

void leaveShutdownInMailbox() {
    ExclusiveLock lock(decoder.mailboxLock);
    if (HANDLE event = decoder.commandEvent.load()) {
        decoder.pendingCommand.store(CommandShutdown);
        SetEvent(event);
    }
}

} // namespace

// A worker still building has no graph to post to: the shutdown waits in
// its mailbox, for the worker to take right after the build. The worker's
// own waits are all bounded, so it ends.
void finishWorker() {
    leaveShutdownInMailbox();
    closeStartedWorker();
}

// Frames stop reaching the host first; then the worker tears the graph
// down as for a shutdown. The wait is bounded: a worker that cannot end in
// time is left, rather than hang the host's unload.
void finishWorkerForUnload(DWORD patienceMilliseconds) {
    forgetFrameCallback();
    decoder.frameCallback.store(nullptr);
    leaveShutdownInMailbox();
    if (decoder.startedWorker == nullptr) return;
    if (WaitForSingleObject(decoder.startedWorker, patienceMilliseconds) != WAIT_OBJECT_0) return;
    CloseHandle(decoder.startedWorker);
    decoder.startedWorker = nullptr;
}
