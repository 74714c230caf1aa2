// Demo host for the filter library: loads it by name, runs each of its
// eight filters on one picture and writes a labelled contact sheet.
#include "command_line.h"
#include "contact_sheet.h"
#include "demo_effects.h"
#include "filter_host.h"
#include "picture.h"
#include "png_image.h"
#include "sample_picture.h"

#include "plugin_directory.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using demo::FilterHost;
using demo::Picture;

constexpr const char *kLibraryName = "Mardolin";
constexpr const char *kDefaultOutput = "out/contact-sheet.png";
constexpr int kSheetColumns = 3;
// Larger inputs are reduced first, to keep the sheet a sensible size.
constexpr int kMaxInputWidth = 640;
constexpr int kMaxInputHeight = 480;

struct Options {
    std::string input;
    std::string output = kDefaultOutput;
};

void printUsage(std::FILE *stream) {
    std::fprintf(stream,
                 "Usage: mardolin_demo [--input FILE.png] [--output FILE.png]\n"
                 "\n"
                 "Loads the %s filter library from the plug-in directory (PLUGIN_DIRECTORY,\n"
                 "else the installed folder beside bin/, else the build's lib/), runs its\n"
                 "eight filters on a built-in picture\n"
                 "or on FILE.png (reduced to fit %dx%d), prints each filter's time and\n"
                 "writes a contact sheet of the results.\n"
                 "\n"
                 "  --input FILE.png   picture to filter instead of the built-in one\n"
                 "  --output FILE.png  contact sheet to write (default %s)\n"
                 "  --help             show this text\n",
                 kLibraryName, kMaxInputWidth, kMaxInputHeight, kDefaultOutput);
}

bool loadPicture(const Options &options, Picture *picture, std::string *description) {
    if (options.input.empty()) {
        *picture = demo::makeSamplePicture();
        *description = "built-in picture";
        return true;
    }
    std::string error;
    if (!demo::readPng(options.input, picture, &error)) {
        std::fprintf(stderr, "mardolin_demo: %s\n", error.c_str());
        return false;
    }
    const Picture reduced = demo::shrinkToFit(*picture, kMaxInputWidth, kMaxInputHeight);
    if (reduced.width != picture->width || reduced.height != picture->height)
        std::printf("Reduced %s from %dx%d to %dx%d\n", options.input.c_str(), picture->width, picture->height,
                    reduced.width, reduced.height);
    *picture = reduced;
    *description = std::filesystem::path(options.input).filename().string();
    return true;
}

bool createParentDirectory(const std::string &path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error)
        std::fprintf(stderr, "mardolin_demo: cannot create %s: %s\n", parent.string().c_str(), error.message().c_str());
    return !error;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    const demo::CommandLine commandLine{
        "mardolin_demo",
        printUsage,
        {{"--input", demo::storeValue(&options.input)}, {"--output", demo::storeValue(&options.output)}}};
    if (const std::optional<int> status = demo::readCommandLine(commandLine, argc, argv)) return *status;
    std::string error;

    Picture original;
    std::string description;
    if (!loadPicture(options, &original, &description)) return 1;

    const std::unique_ptr<FilterHost> filters =
        FilterHost::open(kLibraryName, demo::pluginDirectory(), &error);
    if (filters == nullptr) {
        std::fprintf(stderr, "mardolin_demo: cannot load %s: %s\n", kLibraryName, error.c_str());
        return 1;
    }
    const std::string moduleName = filters->moduleName();
    std::printf("Loaded %s from %s\n", moduleName.c_str(), filters->libraryPath().c_str());
    std::printf("Filtering %s, %dx%d\n", description.c_str(), original.width, original.height);

    int failures = 0;
    const std::vector<demo::Tile> tiles = demo::applyEffects(*filters, original, "ORIGINAL", &failures);

    const std::string title = (moduleName.empty() ? std::string(kLibraryName) : moduleName) + " - " + description +
                              " " + std::to_string(original.width) + "x" + std::to_string(original.height);
    const Picture sheet = demo::composeContactSheet(title, tiles, kSheetColumns);
    if (!createParentDirectory(options.output)) return 1;
    if (!demo::writePng(options.output, sheet, &error)) {
        std::fprintf(stderr, "mardolin_demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("Wrote %s (%dx%d)\n", options.output.c_str(), sheet.width, sheet.height);
    return failures == 0 ? 0 : 1;
}
