// The demo's side of the capture library: Pelquist loaded by name, bound
// to the interpreter the filter library uses, and driven through the host's
// driver as a host's program drives it. Host thread.
#ifndef APPS_CAPTURE_HOST_H
#define APPS_CAPTURE_HOST_H

#include "interpreter.h"
#include "pelquist_driver.h"
#include "plugin_loader.h"

#include <chrono>
#include <memory>
#include <string>

namespace demo {

class CaptureHost : public host::PelquistDriver {
public:
    // Opens the library from directory, binds it and initialises the
    // module; null, with the reason in error, when that fails.
    static std::unique_ptr<CaptureHost> open(host::Interpreter &interpreter, const std::string &directory,
                                             HostWord frameSemaphore, std::chrono::milliseconds patience,
                                             std::string *error);
    // Shuts the decoder and the module down; shutdownModule waits a few
    // seconds for the worker's teardown.
    ~CaptureHost() override;

    std::string moduleName();
    const std::string &libraryPath() const { return library_->path(); }

private:
    CaptureHost(HostWord frameSemaphore, std::chrono::milliseconds patience)
        : PelquistDriver(frameSemaphore, patience) {}
    std::unique_ptr<host::Plugin> library_;
    bool initialised_ = false;
};

} // namespace demo

#endif
