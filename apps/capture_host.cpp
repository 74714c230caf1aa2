#include "capture_host.h"

namespace demo {

std::unique_ptr<CaptureHost> CaptureHost::open(host::Interpreter &interpreter, const std::string &directory,
                                               HostWord frameSemaphore, std::chrono::milliseconds patience,
                                               std::string *error) {
    std::unique_ptr<CaptureHost> captureHost(new CaptureHost(frameSemaphore, patience));
    captureHost->library_ = host::Plugin::open("Pelquist", directory, error);
    if (captureHost->library_ == nullptr) return nullptr;
    captureHost->attach(interpreter, *captureHost->library_);
    if (!captureHost->bindAndInitialise()) {
        *error = captureHost->library_->path() + " refused the interpreter or did not initialise";
        return nullptr;
    }
    captureHost->initialised_ = true;
    return captureHost;
}

CaptureHost::~CaptureHost() {
    if (!initialised_) return;
    call("primShutdownDecoder");
    moduleEntry("shutdownModule");
}

std::string CaptureHost::moduleName() {
    const char *name = library_->moduleName();
    return name != nullptr ? name : "";
}

} // namespace demo
