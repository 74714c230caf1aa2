// The demo's side of the capture library: Pelquist loaded by name, bound
// to the interpreter the filter library uses, and driven through its
// primitives as a host's program drives it. Host thread.
#ifndef APPS_CAPTURE_HOST_H
#define APPS_CAPTURE_HOST_H

#include "interpreter.h"
#include "plugin_loader.h"

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>

namespace demo {

struct FrameSize {
    int width = 0, height = 0;
};

// What a DecoderStatus code means, for messages.
const char *decoderStatusText(int status);

class CaptureHost {
public:
    // Opens the library from directory, binds it and initialises the
    // module; null, with the reason in error, when that fails.
    static std::unique_ptr<CaptureHost> open(host::Interpreter &interpreter, const std::string &directory,
                                             std::string *error);
    // Shuts the decoder and the module down.
    ~CaptureHost();
    CaptureHost(const CaptureHost &) = delete;
    CaptureHost &operator=(const CaptureHost &) = delete;

    std::string moduleName();
    const std::string &libraryPath() const { return plugin_->path(); }

    // Calls a primitive; true when it succeeded, its answer on the stack.
    bool call(const char *primitive, std::initializer_list<HostWord> arguments = {});
    int lastError();
    FrameSize frameSize();

    // Starts the decoder and waits until its graph is built (true) or its
    // build failed (false, lastError tells why).
    bool startDecoder(std::chrono::milliseconds patience);
    // Shows the preview at the rectangle (or hides it), and runs the graph
    // with the frame semaphore registered.
    bool showPreview(int left, int top, int width, int height);
    bool runWithSemaphore(HostWord semaphore);
    // Waits until the frame after next is kept, then copies it into a new
    // bitmap of depth 32, answered in bitmap.
    bool captureNextFrame(HostWord semaphore, std::chrono::milliseconds patience, HostWord *bitmap);

private:
    CaptureHost(host::Interpreter &interpreter) : interpreter_(interpreter) {}
    HostWord smallInteger(HostWord value) { return host::ObjectMemory::smallInteger(value); }
    HostWord answer() { return interpreter_.stack().back(); }

    host::Interpreter &interpreter_;
    std::unique_ptr<host::Plugin> plugin_;
};

} // namespace demo

#endif
