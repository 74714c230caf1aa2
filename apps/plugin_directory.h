// Where the demo hosts find the plug-ins, installed as well as in the
// build tree.
#ifndef APPS_PLUGIN_DIRECTORY_H
#define APPS_PLUGIN_DIRECTORY_H

#include <string>

namespace demo {

// PLUGIN_DIRECTORY when set; else the installed plug-in folder relative to
// the running program (bin/../lib/host-plugins) when it holds the
// plug-ins; else the build's.
std::string pluginDirectory();

} // namespace demo

#endif
