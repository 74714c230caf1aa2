// Opens a plug-in library by its module name and binds it to an
// interpreter through setInterpreter, as any host would.
#ifndef HOST_PLUGIN_LOADER_H
#define HOST_PLUGIN_LOADER_H

#include "host_interface.h"

#include <memory>
#include <string>

namespace host {

class Plugin {
public:
    using Primitive = HostWord(HOST_CALL *)(void);

    // Loads "Name" from directory as libName.so (Name.dll on Windows).
    // Answers null, with the reason in error, when it cannot be opened.
    static std::unique_ptr<Plugin> open(const std::string &name, const std::string &directory, std::string *error);
    // PLUGIN_DIRECTORY if set, else where the build puts the plug-ins
    // (on Windows, the directory of the running executable).
    static std::string defaultDirectory();
    ~Plugin();
    Plugin(const Plugin &) = delete;
    Plugin &operator=(const Plugin &) = delete;

    // setInterpreter(table): 1 accepted, 0 refused.
    HostWord bind(const HostInterface *table);
    const char *moduleName();
    // An export by name, or null.
    void *symbol(const char *name);
    // A primitive by name, or null.
    Primitive primitive(const char *name);
    const std::string &path() const { return path_; }

private:
    Plugin(void *handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void *handle_;
    std::string path_;
};

} // namespace host

#endif
