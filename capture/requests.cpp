#include "requests.h"

#include "exclusive_lock.h"

namespace {

// The command is stored before the event is signalled, so the worker finds
// it when it wakes, and the post's success is recorded before the signal
// too, so it cannot overwrite the outcome the woken worker records. The
// lock keeps the event open for the signal: the teardown closes it only
// under the same lock, after the graph is gone.
int post(DecoderCommand command) {
    ExclusiveLock lock(decoder.mailboxLock);
    if (decoder.graph.load() == nullptr) {
        setStatus(StatusPreconditionMissing);
        return 0;
    }
    decoder.pendingCommand.store(command);
    setStatus(StatusSuccess);
    SetEvent(decoder.commandEvent.load());
    return 1;
}

} // namespace

int requestRun() { return post(CommandRun); }
int requestPause() { return post(CommandPause); }
int requestStop() { return post(CommandStop); }
int requestShutdown() { return post(CommandShutdown); }

int requestCapture() {
    if (decoder.graph.load() == nullptr) {
        setStatus(StatusPreconditionMissing);
        return 0;
    }
    decoder.captureRequested.store(1);
    setStatus(StatusSuccess);
    return 1;
}

int setHostWindow(const void *address) {
    decoder.hostWindow.store(address != nullptr ? static_cast<OAHWND>(*static_cast<const HostWord *>(address)) : 0);
    setStatus(StatusSuccess);
    return 1;
}

int setFrameCallback(FrameCallback callback) {
    decoder.frameCallback.store(callback);
    setStatus(StatusSuccess);
    return 1;
}

uint32_t decodeSize() {
    uint32_t width = static_cast<uint32_t>(decoder.frameWidth.load());
    uint32_t height = static_cast<uint32_t>(decoder.frameHeight.load());
    setStatus(StatusSuccess);
    return (width << 16) | (height & 0xFFFFu);
}
