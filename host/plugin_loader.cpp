#include "plugin_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdlib>

#ifndef HOST_PLUGIN_DIRECTORY
#define HOST_PLUGIN_DIRECTORY "."
#endif

namespace host {

namespace {
#if defined(_WIN32)
std::string fileNameOf(const std::string &name) { return name + ".dll"; }
void *openLibrary(const std::string &path) { return reinterpret_cast<void *>(LoadLibraryA(path.c_str())); }
void closeLibrary(void *handle) { FreeLibrary(reinterpret_cast<HMODULE>(handle)); }
void *lookUp(void *handle, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
}
std::string lastError() { return "LoadLibrary failed with error " + std::to_string(GetLastError()); }
// Windows hosts keep their plug-ins beside the executable, where the build puts both.
std::string builtInDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string executable(path, length < MAX_PATH ? length : 0);
    size_t separator = executable.find_last_of("\\/");
    return separator != std::string::npos ? executable.substr(0, separator) : ".";
}
#else
std::string fileNameOf(const std::string &name) { return "lib" + name + ".so"; }
void *openLibrary(const std::string &path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void closeLibrary(void *handle) { dlclose(handle); }
void *lookUp(void *handle, const char *name) { return dlsym(handle, name); }
std::string lastError() {
    const char *message = dlerror();
    return message != nullptr ? message : "unknown error";
}
std::string builtInDirectory() { return HOST_PLUGIN_DIRECTORY; }
#endif
} // namespace

std::string Plugin::defaultDirectory() {
    // The host's own choice; the plug-ins themselves read no environment.
    const char *overridden = std::getenv("PLUGIN_DIRECTORY");
    return overridden != nullptr && *overridden != '\0' ? overridden : builtInDirectory();
}

std::unique_ptr<Plugin> Plugin::open(const std::string &name, const std::string &directory, std::string *error) {
    std::string path = directory + "/" + fileNameOf(name);
    void *handle = openLibrary(path);
    if (handle == nullptr) {
        if (error != nullptr) *error = path + ": " + lastError();
        return nullptr;
    }
    return std::unique_ptr<Plugin>(new Plugin(handle, path));
}

Plugin::~Plugin() { closeLibrary(handle_); }

HostWord Plugin::bind(const HostInterface *table) {
    using SetInterpreter = HostWord(HOST_CALL *)(void *);
    auto setInterpreter = reinterpret_cast<SetInterpreter>(symbol("setInterpreter"));
    return setInterpreter != nullptr ? setInterpreter(const_cast<HostInterface *>(table)) : 0;
}

const char *Plugin::moduleName() {
    using GetModuleName = const char *(HOST_CALL *)(void);
    auto getModuleName = reinterpret_cast<GetModuleName>(symbol("getModuleName"));
    return getModuleName != nullptr ? getModuleName() : nullptr;
}

void *Plugin::symbol(const char *name) { return lookUp(handle_, name); }

Plugin::Primitive Plugin::primitive(const char *name) { return reinterpret_cast<Primitive>(symbol(name)); }

} // namespace host
