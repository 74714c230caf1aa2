#include "frame_pump.h"

#include "camera_format.h"

namespace testcamera {

namespace {

const ULONGLONG kFramePeriodMilliseconds = 1000 / kFramesPerSecond;

std::vector<BYTE> patternFrame() {
    std::vector<BYTE> frame(kFrameBytes);
    for (int row = 0; row < kHeight; ++row) {
        BYTE *bytes = frame.data() + row * kRowBytes;
        for (int x = 0; x < kWidth; ++x, bytes += 3) {
            Bgr pixel = patternPixel(x, kHeight - 1 - row); // the first row in memory is the bottom one
            bytes[0] = pixel.blue;
            bytes[1] = pixel.green;
            bytes[2] = pixel.red;
        }
    }
    return frame;
}

} // namespace

FramePump::FramePump() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), frame_(patternFrame()) {}

FramePump::~FramePump() {
    stop();
    CloseHandle(wake_);
}

HRESULT FramePump::start(IMemAllocator *allocator, IMemInputPin *input) {
    HRESULT committed = allocator->Commit();
    if (FAILED(committed)) return committed;
    allocator_ = allocator;
    input_ = input;
    running_ = false;
    ending_ = false;
    thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
    if (thread_ == nullptr) {
        allocator_->Decommit();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void FramePump::setRunning(bool running) {
    running_ = running;
    SetEvent(wake_);
}

void FramePump::stop() {
    if (thread_ == nullptr) return;
    ending_ = true;
    SetEvent(wake_);
    allocator_->Decommit();
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

DWORD WINAPI FramePump::threadMain(LPVOID self) {
    static_cast<FramePump *>(self)->stream();
    return 0;
}

void FramePump::stream() {
    REFERENCE_TIME sampleTime = 0;
    // Frames are due at fixed steps from the latest resumption; a pump that
    // fell behind starts counting afresh rather than sending a burst.
    ULONGLONG resumed = 0, sinceResumed = 0;
    bool wasRunning = false;
    while (!ending_) {
        if (!running_) {
            wasRunning = false;
            WaitForSingleObject(wake_, INFINITE);
            continue;
        }
        ULONGLONG now = GetTickCount64();
        if (!wasRunning || now > resumed + (sinceResumed + 1) * kFramePeriodMilliseconds) {
            resumed = now;
            sinceResumed = 0;
            wasRunning = true;
        }
        ULONGLONG due = resumed + sinceResumed * kFramePeriodMilliseconds;
        if (now < due) {
            WaitForSingleObject(wake_, DWORD(due - now));
            continue;
        }
        deliver(sampleTime);
        sampleTime += kFramePeriod;
        ++sinceResumed;
    }
}

void FramePump::deliver(REFERENCE_TIME start) {
    IMediaSample *sample = nullptr;
    // Fails once the allocator is decommitted: the pump is about to end.
    if (FAILED(allocator_->GetBuffer(&sample, nullptr, nullptr, 0)) || sample == nullptr) return;
    BYTE *data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && sample->GetSize() >= kFrameBytes) {
        CopyMemory(data, frame_.data(), kFrameBytes);
        REFERENCE_TIME end = start + kFramePeriod;
        sample->SetActualDataLength(kFrameBytes);
        sample->SetTime(&start, &end);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(start == 0);
        input_->Receive(sample);
    }
    sample->Release();
}

} // namespace testcamera
