// The capture library's one module-wide record, the codes its operations
// leave in lastStatus and the worker's commands. Every field is zero when
// the library is loaded.
#ifndef CAPTURE_DECODER_STATE_H
#define CAPTURE_DECODER_STATE_H

#include "host_interface.h"
#include "media/media_platform.h"

#include <atomic>
#include <cstdint>

enum DecoderStatus : int32_t {
    StatusNothingReported = 0,
    StatusSuccess = 1,
    StatusNoVideoDevice = 2,
    StatusComFailed = 3,
    StatusGraphRefused = 4,
    StatusWorkerNotStarted = 5,
    StatusPreconditionMissing = 6,
    StatusInterfaceMissing = 7,
    StatusMediaTypeRefused = 9,
    StatusDecodeSizeRejected = 10,
};

enum DecoderCommand : int32_t {
    CommandNone = 0,
    CommandRun = 1,
    CommandPause = 2,
    CommandStop = 3,
    CommandShutdown = 4,
};

typedef void (*FrameCallback)(double sampleTime);

// The grabber callback object is laid out by hand as COM's binary contract
// describes it: one pointer to a table of the interface's methods, each
// taking the object first.
struct GrabberCallbackObject;
struct CallbackTable {
    HRESULT(STDMETHODCALLTYPE *QueryInterface)(GrabberCallbackObject *self, REFIID riid, void **ppvObject);
    ULONG(STDMETHODCALLTYPE *AddRef)(GrabberCallbackObject *self);
    ULONG(STDMETHODCALLTYPE *Release)(GrabberCallbackObject *self);
    HRESULT(STDMETHODCALLTYPE *SampleCB)(GrabberCallbackObject *self, double sampleTime, IMediaSample *sample);
    HRESULT(STDMETHODCALLTYPE *BufferCB)(GrabberCallbackObject *self, double sampleTime, BYTE *buffer, LONG length);
};
struct GrabberCallbackObject {
    const CallbackTable *table;
};

struct DecoderState {
    std::atomic<const HostInterface *> host;
    std::atomic<int32_t> lastStatus; // a DecoderStatus
    std::atomic<HANDLE> workerThread;
    std::atomic<HANDLE> commandEvent;     // closed only under mailboxLock
    std::atomic<int32_t> pendingCommand;  // a DecoderCommand
    std::atomic<IGraphBuilder *> graph;   // released only under graphLock
    std::atomic<ISampleGrabber *> grabber; // released only under graphLock
    GrabberCallbackObject GrabberCallback;
    CallbackTable callbackTable;
    // The kept frame and the one the next capture fills (kept_frame.h);
    // the pointers are read and swapped only under frameLock.
    BYTE *frameBuffer;
    BYTE *spareFrameBuffer;
    BYTE *frameBeingRead; // the buffer a conversion reads, or null
    std::atomic<int32_t> frameWidth;  // written only under all three frame locks
    std::atomic<int32_t> frameHeight; // written only under all three frame locks
    std::atomic<int32_t> frameRowsTopDown; // 1: the first row in memory is the top one
    std::atomic<int32_t> captureRequested;
    std::atomic<FrameCallback> frameCallback;
    std::atomic<HostWord> frameSemaphoreIndex;
    std::atomic<double> lastSampleTime;
    std::atomic<OAHWND> hostWindow;
    std::atomic<int32_t> windowReady;
    LONG renderLeft, renderTop, renderWidth, renderHeight; // host thread only

    // The frame buffers' pointers, held for a few instructions at a time.
    SRWLOCK frameLock;
    // Held while a capture is copied, and while a conversion reads, so
    // that a replacement or a release of the buffers waits for them.
    SRWLOCK frameCopyLock;
    SRWLOCK frameReadLock;
    // The graph's objects, against the teardown releasing them while the
    // host thread configures the window or the decode size.
    SRWLOCK graphLock;
    // The command event, against the teardown closing it under a post.
    SRWLOCK mailboxLock;
    // Host thread only: the handle of the last worker that was started,
    // kept so that its end can be waited for and the handle closed.
    HANDLE startedWorker;
};

extern DecoderState decoder;

// The frame buffer's size for a frame of those sides, in 64 bits so that
// no pair of sides wraps it on a 32-bit system.
inline uint64_t frameBufferBytes(int32_t width, int32_t height) {
    return uint64_t(uint32_t(width)) * uint32_t(height) * 4;
}

// Any thread: the host thread and the worker both report; the last one wins.
inline void setStatus(DecoderStatus status) { decoder.lastStatus.store(status); }

#endif
