#include "command_line.h"

namespace demo {
namespace {

bool readOptions(const CommandLine &line, int argc, char **argv, bool *help, std::string *error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            *help = true;
            continue;
        }
        const size_t equals = name.find('=');
        const bool joined = equals != std::string::npos;
        std::string value = joined ? name.substr(equals + 1) : std::string();
        if (joined) name.resize(equals);
        const auto option = line.options.find(name);
        if (option == line.options.end()) {
            *error = "unknown option " + name;
            return false;
        }
        if (!joined && i + 1 < argc) value = argv[++i];
        if (value.empty()) {
            *error = "missing value for " + name;
            return false;
        }
        if (!option->second(value, error)) return false;
    }
    return true;
}

} // namespace

OptionReader storeValue(std::string *target) {
    return [target](const std::string &value, std::string *) {
        *target = value;
        return true;
    };
}

std::optional<int> readCommandLine(const CommandLine &line, int argc, char **argv) {
    bool help = false;
    std::string error;
    if (!readOptions(line, argc, argv, &help, &error)) {
        std::fprintf(stderr, "%s: %s\n", line.program, error.c_str());
        line.printUsage(stderr);
        return 2;
    }
    if (help) {
        line.printUsage(stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace demo
