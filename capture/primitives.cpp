// The fourteen primitives. Each reads its arguments from the host's stack,
// calls one operation, and answers by replacing its receiver and arguments
// with one object, or by failing. Each returns 0: the outcome travels on
// the stack and in the failure flag. Host thread.
#include "decoder_state.h"
#include "frame_conversion.h"
#include "grabber_callback.h"
#include "requests.h"
#include "video_window.h"
#include "worker.h"

namespace {

const HostInterface &host() { return *decoder.host.load(); }

// Replaces the receiver and arguments with result, unless a read failed.
void answer(HostWord entries, HostWord result) {
    if (!host().hasFailed()) host().popAndPush(entries, result);
}

// The shape shared by the primitives whose operation may refuse.
HostWord answerOperation(HostWord entries, int result) {
    if (result == 0) {
        host().fail();
        return 0;
    }
    answer(entries, host().newSmallInteger(result));
    return 0;
}

} // namespace

PLUGIN_EXPORT HostWord HOST_CALL primInitializeDecoder(void) {
    void *windowVariable = host().lookupHostSymbol("stWindow", "");
    if (windowVariable == nullptr) {
        host().fail();
        return 0;
    }
    setHostWindow(windowVariable);
    return answerOperation(1, startWorker());
}

PLUGIN_EXPORT HostWord HOST_CALL primShutdownDecoder(void) {
    answer(1, host().newSmallInteger(requestShutdown()));
    return 0;
}

PLUGIN_EXPORT HostWord HOST_CALL primDecoderRun(void) { return answerOperation(1, requestRun()); }

PLUGIN_EXPORT HostWord HOST_CALL primDecoderPause(void) { return answerOperation(1, requestPause()); }

PLUGIN_EXPORT HostWord HOST_CALL primDecoderStop(void) { return answerOperation(1, requestStop()); }

PLUGIN_EXPORT HostWord HOST_CALL primDecoderRequestCapture(void) { return answerOperation(1, requestCapture()); }

PLUGIN_EXPORT HostWord HOST_CALL primDecoderShowWindow(void) {
    HostWord show = host().booleanOf(host().valueAt(0));
    if (host().hasFailed()) return 0;
    return answerOperation(2, showVideoWindow(static_cast<int>(show)));
}

PLUGIN_EXPORT HostWord HOST_CALL primDecoderSetRenderRect(void) {
    HostWord left = host().integerArgAt(3);
    HostWord top = host().integerArgAt(2);
    HostWord width = host().integerArgAt(1);
    HostWord height = host().integerArgAt(0);
    if (host().hasFailed()) return 0;
    return answerOperation(5, setRenderRect(left, top, width, height));
}

PLUGIN_EXPORT HostWord HOST_CALL primDecoderSetDecodeSize(void) {
    HostWord width = host().integerArgAt(1);
    HostWord height = host().integerArgAt(0);
    if (host().hasFailed()) return 0;
    return answerOperation(3, setDecodeSize(width, height));
}

PLUGIN_EXPORT HostWord HOST_CALL primDecoderGetDecodeSize(void) {
    uint32_t size = decodeSize();
    host().popStack(1);
    host().pushObject(host().newPositiveInteger(size));
    return 0;
}

PLUGIN_EXPORT HostWord HOST_CALL primDecoderGetLastError(void) {
    answer(1, host().newSmallInteger(decoder.lastStatus.load()));
    return 0;
}

PLUGIN_EXPORT HostWord HOST_CALL primDecoderGetLastSampleTime(void) {
    answer(1, host().newFloat(decoder.lastSampleTime.load()));
    return 0;
}

PLUGIN_EXPORT HostWord HOST_CALL primSetFrameSemaphore(void) {
    HostWord index = host().integerArgAt(0);
    if (host().hasFailed()) return 0;
    decoder.frameSemaphoreIndex.store(index);
    return answerOperation(2, setFrameCallback(signalFrame));
}

// The bitmap's word array is measured before anything is written into it:
// an immediate, an object of pointers or a short array is refused.
PLUGIN_EXPORT HostWord HOST_CALL primDecoderCopyLastCapturedFrameInto(void) {
    HostWord bitmap = host().valueAt(0);
    if (host().hasFailed()) return 0;
    HostWord bits = host().slotOf(0, bitmap);
    HostWord width = host().integerSlotOf(1, bitmap);
    HostWord height = host().integerSlotOf(2, bitmap);
    HostWord depth = host().integerSlotOf(3, bitmap);
    if (depth <= 15 || hostIsImmediate(bits) || !host().isWordObject(bits)) {
        host().fail();
        return 0;
    }
    size_t capacity = static_cast<size_t>(host().slotCountOf(bits));
    uint32_t *firstWord = reinterpret_cast<uint32_t *>(bits + static_cast<HostWord>(sizeof(HostWord)));
    return answerOperation(2, copyLastFrameInto(firstWord, width, height, depth, capacity));
}
