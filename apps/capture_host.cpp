#include "capture_host.h"

#include <thread>

namespace demo {

const char *decoderStatusText(int status) {
    switch (status) {
    case 1: return "success";
    case 2: return "no video input device";
    case 3: return "the media framework could not be started";
    case 4: return "the capture graph refused a step";
    case 5: return "the worker thread could not be started";
    case 6: return "a precondition is missing";
    case 7: return "the graph lacks an interface";
    case 9: return "the camera's media type was not accepted";
    case 10: return "decode size rejected";
    default: return "nothing reported";
    }
}

std::unique_ptr<CaptureHost> CaptureHost::open(host::Interpreter &interpreter, const std::string &directory,
                                               std::string *error) {
    std::unique_ptr<CaptureHost> captureHost(new CaptureHost(interpreter));
    captureHost->plugin_ = host::Plugin::open("Pelquist", directory, error);
    if (captureHost->plugin_ == nullptr) return nullptr;
    if (captureHost->plugin_->bind(interpreter.table()) != 1) {
        *error = captureHost->plugin_->path() + " refused the interpreter (setInterpreter)";
        return nullptr;
    }
    auto initialise = reinterpret_cast<HostWord(HOST_CALL *)(void)>(captureHost->plugin_->symbol("initialiseModule"));
    if (initialise == nullptr || initialise() != 1) {
        *error = captureHost->plugin_->path() + " did not initialise (initialiseModule)";
        return nullptr;
    }
    return captureHost;
}

// shutdownModule waits a few seconds for the worker's teardown.
CaptureHost::~CaptureHost() {
    call("primShutdownDecoder");
    if (auto shutdown = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin_->symbol("shutdownModule"))) shutdown();
}

std::string CaptureHost::moduleName() {
    const char *name = plugin_->moduleName();
    return name != nullptr ? name : "";
}

bool CaptureHost::call(const char *primitive, std::initializer_list<HostWord> arguments) {
    host::Plugin::Primitive function = plugin_->primitive(primitive);
    if (function == nullptr) return false;
    interpreter_.prepareCall(interpreter_.memory().nil(), arguments);
    function();
    return !interpreter_.failed();
}

int CaptureHost::lastError() {
    if (!call("primDecoderGetLastError")) return 0;
    return int(host::ObjectMemory::smallIntegerValue(answer()));
}

FrameSize CaptureHost::frameSize() {
    if (!call("primDecoderGetDecodeSize")) return {};
    uint32_t size = interpreter_.memory().positiveIntegerValue(answer());
    return {int(size >> 16), int(size & 0xFFFF)};
}

// The build allocates the frame buffer last, so a frame size means built;
// a failed build leaves its status.
bool CaptureHost::startDecoder(std::chrono::milliseconds patience) {
    if (!call("primInitializeDecoder")) return false;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (frameSize().width != 0) return true;
        int status = lastError();
        if (status != 0 && status != 1) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool CaptureHost::showPreview(int left, int top, int width, int height) {
    return call("primDecoderSetRenderRect",
                {smallInteger(left), smallInteger(top), smallInteger(width), smallInteger(height)}) &&
           call("primDecoderShowWindow", {interpreter_.memory().trueObject()});
}

bool CaptureHost::runWithSemaphore(HostWord semaphore) {
    return call("primSetFrameSemaphore", {smallInteger(semaphore)}) && call("primDecoderRun");
}

// The frame that finds the request is kept before it is signalled, so two
// signals after the request one frame has been kept.
bool CaptureHost::captureNextFrame(HostWord semaphore, std::chrono::milliseconds patience, HostWord *bitmap) {
    const FrameSize size = frameSize();
    const uint64_t before = interpreter_.signalCount(semaphore);
    if (!call("primDecoderRequestCapture") || !interpreter_.waitForSignals(semaphore, before + 2, patience))
        return false;
    *bitmap = interpreter_.memory().newBitmap(size.width, size.height, 32);
    return call("primDecoderCopyLastCapturedFrameInto", {*bitmap});
}

} // namespace demo
