// A demo's command line: the options it takes, each given as "--name value"
// or "--name=value", and --help (or -h) for how to call it.
#ifndef APPS_COMMAND_LINE_H
#define APPS_COMMAND_LINE_H

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace demo {

// Takes an option's value, or answers false with what is wrong with it.
using OptionReader = std::function<bool(const std::string &value, std::string *error)>;

struct CommandLine {
    const char *program; // names the demo in its messages
    void (*printUsage)(std::FILE *stream);
    std::map<std::string, OptionReader> options; // by name, dashes included
};

// Keeps the value as it stands in *target.
OptionReader storeValue(std::string *target);

// Reads every argument. Answers the exit status when the demo ends here:
// 2 after saying what is wrong, with the usage, on stderr; 0 after the
// usage asked for, on stdout. Answers nothing when the demo goes on.
std::optional<int> readCommandLine(const CommandLine &line, int argc, char **argv);

} // namespace demo

#endif
