#include "kept_frame.h"

#include "exclusive_lock.h"
#include "frame_conversion.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Bytes of the picture the conversion reads.
uint64_t pictureBytes() {
    return uint64_t(rgb24RowStride(uint32_t(decoder.frameWidth.load()))) * uint32_t(decoder.frameHeight.load());
}

void releaseBuffers() {
    for (BYTE **buffer : {&decoder.frameBuffer, &decoder.spareFrameBuffer})
        if (*buffer != nullptr) {
            VirtualFree(*buffer, 0, MEM_RELEASE);
            *buffer = nullptr;
        }
    decoder.frameWidth.store(0);
    decoder.frameHeight.store(0);
}

BYTE *newFrameBuffer(LONG width, LONG height) {
    return static_cast<BYTE *>(
        VirtualAlloc(nullptr, SIZE_T(frameBufferBytes(width, height)), MEM_COMMIT, PAGE_READWRITE));
}

} // namespace

bool keepFrame(const BYTE *buffer, LONG length) {
    ExclusiveLock copying(decoder.frameCopyLock);
    BYTE *spare;
    const BYTE *kept;
    {
        ExclusiveLock lock(decoder.frameLock);
        spare = decoder.spareFrameBuffer;
        kept = decoder.frameBuffer;
        if (spare != nullptr && spare == decoder.frameBeingRead) return false;
    }
    if (spare == nullptr || buffer == nullptr || length <= 0) return true;
    // Sizes change only under this lock, too.
    const uint64_t capacity = frameBufferBytes(decoder.frameWidth.load(), decoder.frameHeight.load());
    const uint64_t copied = std::min(uint64_t(length), capacity);
    std::memcpy(spare, buffer, size_t(copied));
    const uint64_t picture = pictureBytes();
    if (copied < picture) std::memcpy(spare + copied, kept + copied, size_t(picture - copied));
    ExclusiveLock lock(decoder.frameLock);
    std::swap(decoder.frameBuffer, decoder.spareFrameBuffer);
    return true;
}

bool replaceFrameBuffers(LONG width, LONG height, bool rowsTopDown) {
    ExclusiveLock reading(decoder.frameReadLock);
    ExclusiveLock copying(decoder.frameCopyLock);
    ExclusiveLock lock(decoder.frameLock);
    releaseBuffers();
    decoder.frameBuffer = newFrameBuffer(width, height);
    decoder.spareFrameBuffer = decoder.frameBuffer != nullptr ? newFrameBuffer(width, height) : nullptr;
    if (decoder.spareFrameBuffer == nullptr) {
        releaseBuffers();
        return false;
    }
    decoder.frameWidth.store(width);
    decoder.frameHeight.store(height);
    decoder.frameRowsTopDown.store(rowsTopDown ? 1 : 0);
    return true;
}

void freeFrameBuffers() {
    ExclusiveLock reading(decoder.frameReadLock);
    ExclusiveLock copying(decoder.frameCopyLock);
    ExclusiveLock lock(decoder.frameLock);
    releaseBuffers();
}

KeptFrameReading::KeptFrameReading() {
    AcquireSRWLockExclusive(&decoder.frameReadLock);
    ExclusiveLock lock(decoder.frameLock);
    rows_ = decoder.frameBuffer;
    rowsTopDown_ = decoder.frameRowsTopDown.load() != 0;
    decoder.frameBeingRead = decoder.frameBuffer;
}

KeptFrameReading::~KeptFrameReading() {
    {
        ExclusiveLock lock(decoder.frameLock);
        decoder.frameBeingRead = nullptr;
    }
    ReleaseSRWLockExclusive(&decoder.frameReadLock);
}
