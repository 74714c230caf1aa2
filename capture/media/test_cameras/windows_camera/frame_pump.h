// The camera's streaming thread: while the filter runs, one frame of the
// pattern every frame period into the downstream pin, stamped with sample
// times that grow by one period a frame from the start of the stream.
#ifndef WINDOWS_CAMERA_FRAME_PUMP_H
#define WINDOWS_CAMERA_FRAME_PUMP_H

#include <dshow.h>

#include <atomic>
#include <vector>

namespace testcamera {

class FramePump {
public:
    FramePump();
    ~FramePump();
    FramePump(const FramePump &) = delete;
    FramePump &operator=(const FramePump &) = delete;

    // Commits the allocator and starts the thread, holding frames back until
    // setRunning(true). The pin keeps both interfaces alive until stop().
    // Filter's thread, under the filter's lock, as are the others.
    HRESULT start(IMemAllocator *allocator, IMemInputPin *input);
    void setRunning(bool running);
    // Decommits the allocator, which frees a thread waiting for a buffer,
    // and waits for the thread to end.
    void stop();

private:
    static DWORD WINAPI threadMain(LPVOID self);
    void stream();
    // Fills one sample and hands it downstream.
    void deliver(REFERENCE_TIME start);

    HANDLE thread_ = nullptr;
    HANDLE wake_; // auto-reset: a state change
    std::atomic<bool> running_{false};
    std::atomic<bool> ending_{false};
    IMemAllocator *allocator_ = nullptr;
    IMemInputPin *input_ = nullptr;
    std::vector<BYTE> frame_; // the pattern as delivered: RGB24, bottom-up
};

} // namespace testcamera

#endif
