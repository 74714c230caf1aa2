// Drives the capture plug-in through its exports as a host's program does:
// primitive calls laid out on an interpreter's stack, the status and the
// decode size read back, and the waits a host makes for the worker's build
// and for frames. Shared by the demo host and every test fixture that
// drives the plug-in. Host thread.
#ifndef HOST_PELQUIST_DRIVER_H
#define HOST_PELQUIST_DRIVER_H

#include "interpreter.h"
#include "plugin_loader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <vector>

namespace host {

struct FrameSize {
    int width = 0, height = 0;
};
inline bool operator==(FrameSize a, FrameSize b) { return a.width == b.width && a.height == b.height; }
inline std::ostream &operator<<(std::ostream &out, FrameSize size) { return out << size.width << "x" << size.height; }

// What a status the plug-in leaves in primDecoderGetLastError means.
const char *decoderStatusText(int status);

class PelquistDriver {
public:
    // frameSemaphore: the host semaphore the driver registers and counts
    // frames on; patience: how long each wait lasts at most.
    PelquistDriver(HostWord frameSemaphore, std::chrono::milliseconds patience);
    virtual ~PelquistDriver() = default;
    PelquistDriver(const PelquistDriver &) = delete;
    PelquistDriver &operator=(const PelquistDriver &) = delete;

    // Drives plugin on vm from now on, with a new receiver; both outlive
    // every later call.
    void attach(Interpreter &vm, Plugin &plugin);
    // setInterpreter with vm's table, then initialiseModule; true when both
    // accepted.
    bool bindAndInitialise();
    // A module entry without arguments (initialiseModule, shutdownModule):
    // its answer, or none when it is not exported.
    std::optional<HostWord> moduleEntry(const char *entry);

    // Calls a primitive with the receiver and arguments laid out (the last
    // argument on top); true when it succeeded, its answer on the stack.
    bool call(const char *primitive, std::initializer_list<HostWord> arguments = {});
    HostWord answerObject() { return vm_->stack().back(); }
    HostWord answerInteger() { return ObjectMemory::smallIntegerValue(answerObject()); }
    static HostWord smallInteger(HostWord value) { return ObjectMemory::smallInteger(value); }

    int lastError();
    double lastSampleTime();
    // primDecoderGetDecodeSize's word (width << 16 | height) and its halves.
    // Reading it records success as the status.
    uint32_t decodeSizeWord();
    FrameSize decodeSize();

    // Looks at condition every couple of milliseconds until it holds (true)
    // or the patience has run out (false). Any thread.
    static bool pollUntil(const std::function<bool()> &condition, std::chrono::milliseconds patience);
    // Waits as the host's thread must on this platform until condition
    // holds; false when it did not within the patience. Polls by default.
    virtual bool waitUntil(const std::function<bool()> &condition);
    uint64_t framesSignalled() { return vm_->signalCount(frameSemaphore_); }
    // Waits until the frame semaphore has been signalled count times.
    virtual bool awaitFrames(uint64_t count);
    // Waits until no frame has been signalled for a whole second.
    bool awaitFramesStopped();

    // primInitializeDecoder, then waits until the worker's build has ended;
    // true when it built the graph.
    bool startDecoder();
    // Waits until the build made a graph (true) or recorded a failure
    // (false). The build sizes the frame buffer last, so a decode size
    // means built; as reading the size records success, a failure recorded
    // between two looks can be missed, and then the wait runs out instead.
    virtual bool awaitBuild();
    // Places and shows the preview; registers the frame semaphore and runs
    // the graph.
    bool showPreview(int left, int top, int width, int height);
    bool runWithFrameSemaphore();

    // Asks for a capture and waits until a frame has been kept: the first
    // frame that finds the request is kept before it is signalled, so of
    // two signals after the request one is.
    bool requestAndAwaitCapture();
    // Copies the kept frame into bitmap.
    bool copyInto(HostWord bitmap) { return call("primDecoderCopyLastCapturedFrameInto", {bitmap}); }
    // A capture copied into a new bitmap of the decode size and depth, or 0.
    HostWord captureIntoNewBitmap(int depth);
    std::vector<uint32_t> wordsOf(HostWord bitmap);

    Interpreter &interpreter() { return *vm_; }
    Plugin &plugin() { return *plugin_; }
    HostWord receiver() const { return receiver_; }
    HostWord frameSemaphore() const { return frameSemaphore_; }
    std::chrono::milliseconds patience() const { return patience_; }

protected:
    // Told about every primitive call: whether the primitive is exported
    // and what its native return value was. Fixtures check them here.
    virtual void checkCall(const char *primitive, bool exported, HostWord returned);

private:
    Interpreter *vm_ = nullptr;
    Plugin *plugin_ = nullptr;
    HostWord receiver_ = 0;
    const HostWord frameSemaphore_;
    const std::chrono::milliseconds patience_;
};

} // namespace host

#endif
