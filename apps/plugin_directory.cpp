#include "plugin_directory.h"

#include "plugin_loader.h"

#include <cstdlib>
#include <filesystem>

#ifndef DEMO_INSTALLED_PLUGIN_DIRECTORY
#define DEMO_INSTALLED_PLUGIN_DIRECTORY "../lib/host-plugins"
#endif

namespace demo {

std::string pluginDirectory() {
    const char *chosen = std::getenv("PLUGIN_DIRECTORY");
    if (chosen != nullptr && *chosen != '\0') return chosen;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed =
            (program.parent_path() / DEMO_INSTALLED_PLUGIN_DIRECTORY).lexically_normal();
        if (std::filesystem::exists(installed / "libPelquist.so", error)) return installed.string();
    }
    return host::Plugin::defaultDirectory();
}

} // namespace demo
