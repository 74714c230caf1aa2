// The demo's side of the filter library: one interpreter with the library
// loaded by name and bound to it, pictures turned into host bitmaps and
// back, and timed primitive calls that report failure instead of stopping.
#ifndef APPS_FILTER_HOST_H
#define APPS_FILTER_HOST_H

#include "picture.h"

#include "interpreter.h"
#include "plugin_loader.h"

#include <memory>
#include <string>
#include <vector>

namespace demo {

struct CallOutcome {
    bool succeeded = false;
    double milliseconds = 0.0;
    std::string problem; // why it did not succeed
};

class FilterHost {
  public:
    // Opens the library from directory and binds it; null, with the reason
    // in error, when it cannot be opened or refuses the interpreter.
    static std::unique_ptr<FilterHost> open(const std::string &library, const std::string &directory,
                                            std::string *error);

    std::string moduleName();
    const std::string &libraryPath() const { return plugin_->path(); }
    // The interpreter the library is bound to, for another plug-in to share:
    // the table's entries act on one interpreter at a time.
    host::Interpreter &interpreter() { return interpreter_; }

    HostWord newBitmap(const Picture &picture);
    HostWord newFloat(double value);
    HostWord newKernel(const std::vector<float> &weights); // single floats as raw words
    Picture pictureOf(HostWord bitmap);

    // Calls primitive with the arguments in message order (the last one on
    // top of the stack); only the primitive itself is timed.
    CallOutcome call(const char *primitive, const std::vector<HostWord> &arguments);

  private:
    FilterHost() = default;
    host::Interpreter interpreter_;
    std::unique_ptr<host::Plugin> plugin_;
};

} // namespace demo

#endif
