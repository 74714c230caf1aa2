#include "command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace demo {
namespace {

std::FILE *usageStream = nullptr; // where the usage last went

void recordUsage(std::FILE *stream) { usageStream = stream; }

struct Given {
    std::string input, output = "default.png";
};

// Runs the command line of a demo taking --input, --output and a --count
// that refuses anything but "3".
std::optional<int> run(std::vector<std::string> arguments, Given *given) {
    arguments.insert(arguments.begin(), "demo");
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(argument.data());
    const OptionReader count = [](const std::string &value, std::string *error) {
        if (value == "3") return true;
        *error = "--count wants 3";
        return false;
    };
    const CommandLine line{"demo",
                           recordUsage,
                           {{"--input", storeValue(&given->input)},
                            {"--output", storeValue(&given->output)},
                            {"--count", count}}};
    usageStream = nullptr;
    return readCommandLine(line, int(argv.size()), argv.data());
}

struct Case {
    const char *name;
    std::vector<std::string> arguments;
    std::optional<int> status;
    std::FILE *usage;
    Given given;
};

TEST(CommandLineTest, ReadsOptionsHelpAndMistakes) {
    const Case cases[] = {
        {"nothing given", {}, std::nullopt, nullptr, {}},
        {"separate and joined values", {"--input", "a.png", "--output=b.png"}, std::nullopt, nullptr, {"a.png", "b.png"}},
        {"joined value holding =", {"--output=a=b.png"}, std::nullopt, nullptr, {"", "a=b.png"}},
        {"last value wins", {"--output", "a.png", "--output", "b.png"}, std::nullopt, nullptr, {"", "b.png"}},
        {"help", {"--help"}, 0, stdout, {}},
        {"short help after options", {"--output", "b.png", "-h"}, 0, stdout, {"", "b.png"}},
        {"unknown option", {"--bogus", "x"}, 2, stderr, {}},
        {"unknown option last", {"--bogus"}, 2, stderr, {}},
        {"missing value at the end", {"--output"}, 2, stderr, {}},
        {"empty joined value", {"--output="}, 2, stderr, {}},
        {"value refused", {"--count", "4"}, 2, stderr, {}},
        {"value accepted", {"--count=3"}, std::nullopt, nullptr, {}},
        {"mistake despite help", {"--help", "--bogus"}, 2, stderr, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Given given;
        EXPECT_EQ(run(c.arguments, &given), c.status);
        EXPECT_EQ(usageStream, c.usage);
        EXPECT_EQ(given.input, c.given.input);
        EXPECT_EQ(given.output, c.given.output);
    }
}

} // namespace
} // namespace demo
